// bench_barewalk TREE [THREADS]: the least a walk can ask of the system, the floor under --save's figure: every
// folder read with getdents64 and every other entry looked at with statx, on THREADS threads (2 unless told),
// nothing sorted, kept or written. Prints the entries seen.
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::mutex mutex;
std::condition_variable changed;
std::deque<std::string> folders;
int reading = 0;
long long entries = 0;

void work()
{
    std::vector<char> buffer(1 << 16);
    long long seen = 0;
    std::unique_lock lock(mutex);
    for (;;) {
        changed.wait(lock, [] { return !folders.empty() || reading == 0; });
        if (folders.empty())
            break;
        const std::string folder = std::move(folders.front());
        folders.pop_front();
        ++reading;
        lock.unlock();
        if (const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); fd >= 0) {
            for (ssize_t read; (read = ::getdents64(fd, buffer.data(), buffer.size())) > 0;)
                for (ssize_t at = 0; at < read;) {
                    const auto* entry = reinterpret_cast<const dirent64*>(buffer.data() + at);
                    at += entry->d_reclen;
                    if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
                        continue;
                    ++seen;
                    if (entry->d_type == DT_DIR) {
                        const std::scoped_lock push(mutex);
                        folders.push_back(folder + '/' + entry->d_name);
                        changed.notify_one();
                        continue;
                    }
                    struct statx info { };
                    (void)::statx(fd, entry->d_name, AT_SYMLINK_NOFOLLOW, STATX_TYPE | STATX_SIZE | STATX_BTIME, &info);
                }
            ::close(fd);
        }
        lock.lock();
        if (--reading == 0 && folders.empty())
            changed.notify_all();
    }
    entries += seen;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_barewalk TREE [THREADS]\n");
        return 2;
    }
    folders.emplace_back(argv[1]);
    std::vector<std::thread> threads;
    for (int i = 0; i < (argc > 2 ? std::atoi(argv[2]) : 2); ++i)
        threads.emplace_back(work);
    for (std::thread& thread : threads)
        thread.join();
    std::printf("%lld\n", entries);
    return 0;
}
