"use strict";
(function () {
    const rowHeight = 24; // as --row-height in the style
    const scrollLimit = 8000000; // browsers cap an element's height; taller lists scroll in proportion
    // The most rows printed: 20,000 rows make some 430 pages, about a minute of a browser's layout; many more crash it.
    const printLimit = 20000;
    const byId = (id) => document.getElementById(id);
    const rowsBox = byId("rows");
    const windowBox = byId("window");
    const searchBox = byId("search");
    const typeBox = byId("type");
    const wholeButton = byId("whole");
    const statusLine = byId("status");
    const tree = byId("tree");

    // The listing, one slot per entry in listing order.
    let count = 0;
    let isFolder, level, parent, size, time, below, filesBelow, subtreeEnd, typeOf, firstChild, nextSibling;
    let names = [];
    let folderPaths = [];
    let keptSize = new Map();
    let keptDate = new Map();
    let rootPath = "";
    let rootFirstChild = -1;
    let lowerNames = null;
    let lowerPaths = null;
    const types = []; // file types by number, "" for names without one

    // What is shown: positions into the listing.
    let view = new Int32Array(0);
    let scope = -1; // the folder whose entries are shown, -1 for all
    let sortColumn = "";
    let sortDescending = false;
    let current = -1; // position in view of the row the keys move

    const shown = (text) => text.replace(/[\u0000-\u001f\u007f]/g, (c) => String.fromCharCode(c === "\u007f" ? 0x2421 : 0x2400 + c.charCodeAt(0)));

    // The page keeps a name's bytes escaped; a byte that is no UTF-8 shows as U+FFFD, as in the program.
    function unescapeText(text) {
        if (text.indexOf("\\") < 0)
            return text;
        let out = "";
        let from = 0;
        for (let at = text.indexOf("\\"); at >= 0; at = text.indexOf("\\", from)) {
            out += text.slice(from, at);
            const c = text[at + 1];
            if (c === "x") {
                const byte = parseInt(text.substr(at + 2, 2), 16);
                out += byte < 0x80 ? String.fromCharCode(byte) : "\ufffd";
                from = at + 4;
            } else {
                out += c === "t" ? "\t" : c === "n" ? "\n" : c === "r" ? "\r" : c;
                from = at + 2;
            }
        }
        return out + text.slice(from);
    }

    const display = (text) => (text.indexOf("\\") < 0 ? text : shown(unescapeText(text)));

    function lastPart(path) {
        const cut = path.lastIndexOf("/", path.length - 2);
        return cut < 0 ? path : path.slice(cut + 1);
    }

    function read() {
        const lines = byId("listing-records").textContent.split("\n");
        let first = 0;
        while (first < lines.length && lines[first][0] !== "P")
            ++first;
        let previousFolder = first < lines.length ? lines[first].slice(1) : "";
        rootPath = shown(unescapeText(previousFolder));
        let last = lines.length;
        while (last > first + 1 && !/^[fdD]/.test(lines[last - 1]))
            --last;
        count = Math.max(0, last - first - 1);
        isFolder = new Uint8Array(count);
        level = new Int32Array(count);
        parent = new Int32Array(count);
        size = new Float64Array(count);
        time = new Float64Array(count);
        typeOf = new Int32Array(count);
        names = new Array(count);
        folderPaths = new Array(count);
        const typeIds = new Map();
        const latestAt = [-1];
        let folder = -1;
        let clock = 0;
        for (let i = 0; i < count; ++i) {
            const line = lines[first + 1 + i];
            const tab = line.indexOf("\t");
            const nextTab = line.indexOf("\t", tab + 1);
            const fields = [line.slice(1, tab), line.slice(tab + 1, nextTab), line.slice(nextTab + 1)];
            if (line[0] === "f") {
                const name = display(fields[0]);
                names[i] = name;
                parent[i] = folder;
                if (fields[1][0] === "=") {
                    size[i] = NaN;
                    keptSize.set(i, shown(unescapeText(fields[1].slice(1))));
                } else {
                    size[i] = Number(fields[1]);
                }
                if (fields[2] === "") {
                    time[i] = NaN;
                } else if (fields[2][0] === "=") {
                    time[i] = NaN;
                    keptDate.set(i, shown(unescapeText(fields[2].slice(1))));
                } else {
                    clock += Number(fields[2]);
                    time[i] = clock;
                }
                const dot = name.lastIndexOf(".");
                const type = dot > 0 ? name.slice(dot + 1).toLowerCase() : "";
                let id = typeIds.get(type);
                if (id === undefined) {
                    id = types.length;
                    types.push(type);
                    typeIds.set(type, id);
                }
                typeOf[i] = id;
                continue;
            }
            const marked = line[0] === "D";
            const shared = Number(marked ? fields[0] : fields[1]);
            const rest = marked ? fields[1] : fields[2];
            let end = 0;
            for (let part = 0; part < shared; ++part) {
                if (part > 0)
                    ++end;
                const cut = previousFolder.indexOf("/", end);
                end = cut < 0 ? previousFolder.length : cut;
            }
            previousFolder = shared > 0 ? previousFolder.slice(0, end) + "/" + rest : rest;
            const path = display(previousFolder);
            folderPaths[i] = path;
            names[i] = lastPart(path);
            isFolder[i] = 1;
            size[i] = NaN;
            time[i] = NaN;
            if (marked) {
                keptDate.set(i, shown(unescapeText(fields[2])));
                parent[i] = -1;
            } else {
                const depth = Number(fields[0]);
                level[i] = depth;
                parent[i] = depth > 1 && latestAt[depth - 1] !== undefined ? latestAt[depth - 1] : -1;
                latestAt[depth] = i;
                latestAt.length = depth + 1;
            }
            folder = i;
        }
        tally();
    }

    // Totals below each folder, and the range of entries each folder's subtree takes.
    function tally() {
        below = new Float64Array(count + 1); // the last slot: the whole listing
        filesBelow = new Float64Array(count + 1);
        subtreeEnd = new Int32Array(count);
        firstChild = new Int32Array(count).fill(-1);
        nextSibling = new Int32Array(count).fill(-1);
        const lastChild = new Int32Array(count).fill(-1);
        let rootLast = -1;
        const open = [];
        for (let i = 0; i < count; ++i) {
            if (!isFolder[i]) {
                const into = parent[i] < 0 ? count : parent[i];
                if (!isNaN(size[i]))
                    below[into] += size[i];
                filesBelow[into] += 1;
                continue;
            }
            while (open.length && (level[i] === 0 || level[open[open.length - 1]] >= level[i]))
                subtreeEnd[open.pop()] = i;
            open.push(i);
            const p = parent[i];
            if (p < 0) {
                if (rootLast < 0)
                    rootFirstChild = i;
                else
                    nextSibling[rootLast] = i;
                rootLast = i;
            } else {
                if (lastChild[p] < 0)
                    firstChild[p] = i;
                else
                    nextSibling[lastChild[p]] = i;
                lastChild[p] = i;
            }
        }
        while (open.length)
            subtreeEnd[open.pop()] = count;
        for (let i = count - 1; i >= 0; --i) {
            if (!isFolder[i])
                continue;
            const into = parent[i] < 0 ? count : parent[i];
            below[into] += below[i];
            filesBelow[into] += filesBelow[i];
        }
    }

    const units = ["bytes", "kB", "MB", "GB", "TB", "PB", "EB"];
    function readableSize(bytes) {
        if (bytes < 1000)
            return bytes + (bytes === 1 ? " byte" : " bytes");
        let unit = 0;
        while (bytes >= 999.95 && unit < units.length - 1) {
            bytes /= 1000;
            ++unit;
        }
        return bytes.toFixed(1) + " " + units[unit];
    }
    const numberFormat = new Intl.NumberFormat("en-US"); // toLocaleString makes one a call, twenty times slower
    const exactSize = (bytes) => numberFormat.format(bytes);
    const two = (n) => String(n).padStart(2, "0");
    function dateText(seconds) {
        const d = new Date(seconds * 1000);
        const offset = -d.getTimezoneOffset();
        const sign = offset < 0 ? "-" : "+";
        return d.getFullYear() + "-" + two(d.getMonth() + 1) + "-" + two(d.getDate()) + " " + two(d.getHours()) + ":"
            + two(d.getMinutes()) + ":" + two(d.getSeconds()) + sign + two(Math.floor(Math.abs(offset) / 60)) + ":"
            + two(Math.abs(offset) % 60);
    }
    const folderOf = (i) => (parent[i] < 0 ? rootPath : folderPaths[parent[i]]);

    // The cells of entry i: name, size, bytes, created, folder.
    function cells(i) {
        if (isFolder[i]) {
            return [names[i], readableSize(below[i]), exactSize(below[i]), keptDate.get(i) || "", folderOf(i)];
        }
        const kept = keptSize.get(i);
        const created = isNaN(time[i]) ? keptDate.get(i) || "" : dateText(time[i]);
        if (kept !== undefined)
            return [names[i], kept, kept, created, folderOf(i)];
        return [names[i], readableSize(size[i]), exactSize(size[i]), created, folderOf(i)];
    }

    function lowerCaseAll() {
        if (lowerNames)
            return;
        lowerNames = names.map((name) => name.toLowerCase());
        lowerPaths = folderPaths.map((path) => path.toLowerCase());
    }

    // Entries whose name or path holds the text, of the chosen type, within the chosen folder.
    function choose() {
        const text = searchBox.value.toLowerCase();
        const type = typeBox.value;
        const from = scope < 0 ? 0 : scope + 1;
        const to = scope < 0 ? count : subtreeEnd[scope];
        const chosen = new Int32Array(Math.max(0, to - from));
        let found = 0;
        let folderHolds = null;
        let rootHolds = true;
        const acrossParts = text.indexOf("/") >= 0;
        const rootLower = rootPath.toLowerCase();
        if (text) {
            lowerCaseAll();
            folderHolds = new Uint8Array(count);
            for (let i = 0; i < count; ++i)
                if (isFolder[i] && lowerPaths[i].indexOf(text) >= 0)
                    folderHolds[i] = 1;
            rootHolds = rootLower.indexOf(text) >= 0;
        }
        const typeId = type.startsWith("type:") ? Number(type.slice(5)) : -1;
        for (let i = from; i < to; ++i) {
            if (type === "folders" ? !isFolder[i] : type === "files" ? isFolder[i] : typeId >= 0 && (isFolder[i] || typeOf[i] !== typeId))
                continue;
            if (text) {
                if (isFolder[i]) {
                    if (!folderHolds[i])
                        continue;
                } else if (lowerNames[i].indexOf(text) < 0) {
                    const p = parent[i];
                    const folderMatch = p < 0 ? rootHolds : folderHolds[p] === 1;
                    if (!folderMatch
                        && !(acrossParts && ((p < 0 ? rootLower : lowerPaths[p]) + "/" + lowerNames[i]).indexOf(text) >= 0))
                        continue;
                }
            }
            chosen[found++] = i;
        }
        view = chosen.subarray(0, found);
        sort();
    }

    function sortKey(column) {
        lowerCaseAll();
        if (column === "name")
            return (i) => lowerNames[i];
        if (column === "size" || column === "bytes")
            return (i) => (isFolder[i] ? below[i] : size[i]);
        if (column === "created")
            return (i) => time[i];
        return (i) => (parent[i] < 0 ? "" : lowerPaths[parent[i]]);
    }

    function sort() {
        if (!sortColumn)
            return;
        const key = sortKey(sortColumn);
        const keys = new Array(count);
        for (const i of view)
            keys[i] = key(i);
        const direction = sortDescending ? -1 : 1;
        const sorted = Array.from(view).sort((a, b) => {
            const x = keys[a];
            const y = keys[b];
            // Entries without a value go last either way.
            const xNone = x !== x;
            const yNone = y !== y;
            if (xNone || yNone)
                return xNone === yNone ? a - b : xNone ? 1 : -1;
            return x < y ? -direction : x > y ? direction : a - b;
        });
        view = Int32Array.from(sorted);
    }

    let pool = [];
    function rowElement(slot) {
        while (pool.length <= slot) {
            const row = document.createElement("div");
            row.className = "row line";
            row.setAttribute("role", "row");
            row.id = "row-" + pool.length;
            for (let c = 0; c < 5; ++c) {
                const cell = document.createElement("span");
                cell.setAttribute("role", "gridcell");
                if (c === 1 || c === 2)
                    cell.className = "num";
                if (c === 4)
                    cell.className = "path";
                row.appendChild(cell);
            }
            row.addEventListener("click", () => {
                current = Number(row.dataset.position);
                render();
            });
            row.addEventListener("dblclick", () => openEntry(view[Number(row.dataset.position)]));
            windowBox.appendChild(row);
            pool.push(row);
        }
        return pool[slot];
    }

    function firstShown() {
        const rowsVisible = Math.max(1, Math.floor(rowsBox.clientHeight / rowHeight));
        const height = view.length * rowHeight;
        if (height <= scrollLimit)
            return Math.floor(rowsBox.scrollTop / rowHeight);
        const spare = Math.max(1, scrollLimit - rowsBox.clientHeight);
        return Math.round((rowsBox.scrollTop / spare) * Math.max(0, view.length - rowsVisible));
    }

    function render() {
        const height = Math.min(view.length * rowHeight, scrollLimit);
        byId("spacer").style.height = height + "px";
        const first = Math.max(0, Math.min(firstShown(), view.length - 1));
        const slots = Math.min(view.length - first, Math.ceil(rowsBox.clientHeight / rowHeight) + 1);
        windowBox.style.transform = "translateY(" + (view.length * rowHeight <= scrollLimit ? first * rowHeight : rowsBox.scrollTop) + "px)";
        rowsBox.removeAttribute("aria-activedescendant");
        for (let slot = 0; slot < Math.max(slots, pool.length); ++slot) {
            const row = rowElement(slot);
            if (slot >= slots) {
                row.hidden = true;
                continue;
            }
            const position = first + slot;
            const i = view[position];
            const values = cells(i);
            row.hidden = false;
            row.dataset.position = position;
            row.dataset.entry = i;
            row.classList.toggle("folder", isFolder[i] === 1);
            row.classList.toggle("current", position === current);
            row.setAttribute("aria-rowindex", position + 1);
            if (position === current)
                rowsBox.setAttribute("aria-activedescendant", row.id);
            for (let c = 0; c < 5; ++c) {
                row.children[c].textContent = values[c];
                row.children[c].title = values[c];
            }
            row.children[1].classList.toggle("total", isFolder[i] === 1);
            row.children[2].classList.toggle("total", isFolder[i] === 1);
        }
        rowsBox.setAttribute("aria-rowcount", view.length);
    }

    function showStatus(started) {
        const scopeText = scope < 0 ? "" : " in " + folderPaths[scope];
        const took = started ? " (" + Math.max(1, Math.round(performance.now() - started)) + " ms)" : "";
        statusLine.textContent = exactSize(view.length) + " of " + exactSize(count) + " entries" + scopeText + took;
        document.body.dataset.shown = view.length;
        document.body.dataset.searched = searchBox.value; // which text the rows shown answer
    }

    function refresh() {
        const started = performance.now();
        choose();
        current = view.length ? Math.min(Math.max(current, 0), view.length - 1) : -1;
        rowsBox.scrollTop = 0;
        render();
        showStatus(started);
    }

    // Typing narrows at once on small listings; on large ones a pause lets a word be typed whole first.
    let pending = 0;
    function refreshSoon() {
        clearTimeout(pending);
        pending = setTimeout(refresh, count > 200000 ? 120 : 0);
    }

    function moveTo(position) {
        if (!view.length)
            return;
        current = Math.max(0, Math.min(view.length - 1, position));
        const rowsVisible = Math.max(1, Math.floor(rowsBox.clientHeight / rowHeight));
        const first = firstShown();
        if (view.length * rowHeight <= scrollLimit) {
            if (current < first)
                rowsBox.scrollTop = current * rowHeight;
            else if (current >= first + rowsVisible)
                rowsBox.scrollTop = (current - rowsVisible + 1) * rowHeight;
        } else if (current < first || current >= first + rowsVisible) {
            const spare = Math.max(1, scrollLimit - rowsBox.clientHeight);
            rowsBox.scrollTop = (Math.max(0, current - rowsVisible + 1) / Math.max(1, view.length - rowsVisible)) * spare;
        }
        render();
    }

    rowsBox.addEventListener("keydown", (event) => {
        const page = Math.max(1, Math.floor(rowsBox.clientHeight / rowHeight) - 1);
        const moves = { ArrowDown: 1, ArrowUp: -1, PageDown: page, PageUp: -page };
        if (event.key in moves)
            moveTo(current + moves[event.key]);
        else if (event.key === "Home")
            moveTo(0);
        else if (event.key === "End")
            moveTo(view.length - 1);
        else if (event.key === "Enter" && current >= 0)
            openEntry(view[current]);
        else
            return;
        event.preventDefault();
    });
    rowsBox.addEventListener("focus", () => {
        if (current < 0 && view.length)
            moveTo(0);
    });
    rowsBox.addEventListener("scroll", () => requestAnimationFrame(render), { passive: true });
    window.addEventListener("resize", () => render());

    // The folder tree: built a level at a time, as folders are opened.
    function folderOwnName(f) {
        return names[f] || folderPaths[f];
    }

    function treeItem(f) {
        const item = document.createElement("li");
        item.setAttribute("role", "treeitem");
        item.tabIndex = -1;
        item.dataset.folder = f;
        const hasChildren = f < 0 ? rootFirstChild >= 0 : firstChild[f] >= 0;
        if (hasChildren)
            item.setAttribute("aria-expanded", "false");
        item.setAttribute("aria-selected", "false");
        const line = document.createElement("div");
        const twisty = document.createElement("span");
        twisty.className = "twisty";
        const name = document.createElement("span");
        name.className = "tname";
        name.textContent = f < 0 ? rootPath : folderOwnName(f);
        const sum = document.createElement("span");
        sum.className = "tsum";
        const total = f < 0 ? count : f;
        const files = filesBelow[total];
        sum.textContent = readableSize(below[total]) + ", " + exactSize(files) + (files === 1 ? " file" : " files");
        line.append(twisty, name, sum);
        item.appendChild(line);
        twisty.addEventListener("click", (event) => {
            event.stopPropagation();
            toggle(item);
        });
        line.addEventListener("click", () => {
            chooseFolder(item);
            if (item.getAttribute("aria-expanded") === "false")
                toggle(item);
        });
        return item;
    }

    function toggle(item, open) {
        const expanded = item.getAttribute("aria-expanded");
        if (expanded === null)
            return;
        const opening = open === undefined ? expanded === "false" : open;
        item.setAttribute("aria-expanded", opening ? "true" : "false");
        let group = item.querySelector(":scope > ul");
        if (opening && !group) {
            group = document.createElement("ul");
            group.setAttribute("role", "group");
            const f = Number(item.dataset.folder);
            for (let child = f < 0 ? rootFirstChild : firstChild[f]; child >= 0; child = nextSibling[child])
                group.appendChild(treeItem(child));
            item.appendChild(group);
        }
        if (group)
            group.hidden = !opening;
    }

    function focusItem(item) {
        const previous = tree.querySelector('[tabindex="0"]');
        if (previous)
            previous.tabIndex = -1;
        item.tabIndex = 0;
        item.focus();
        item.scrollIntoView({ block: "nearest" });
    }

    function chooseFolder(item) {
        for (const selected of tree.querySelectorAll('[aria-selected="true"]'))
            selected.setAttribute("aria-selected", "false");
        item.setAttribute("aria-selected", "true");
        focusItem(item);
        scope = Number(item.dataset.folder);
        wholeButton.disabled = scope < 0;
        current = -1;
        refresh();
    }

    // The tree's items in the order they are seen, closed folders' contents left out.
    function visibleItems() {
        return Array.from(tree.querySelectorAll('li[role="treeitem"]')).filter((item) => item.offsetParent !== null);
    }

    tree.addEventListener("keydown", (event) => {
        const item = event.target.closest('li[role="treeitem"]');
        if (!item)
            return;
        const items = visibleItems();
        const at = items.indexOf(item);
        const expanded = item.getAttribute("aria-expanded");
        if (event.key === "ArrowDown" && at + 1 < items.length)
            focusItem(items[at + 1]);
        else if (event.key === "ArrowUp" && at > 0)
            focusItem(items[at - 1]);
        else if (event.key === "Home")
            focusItem(items[0]);
        else if (event.key === "End")
            focusItem(items[items.length - 1]);
        else if (event.key === "ArrowRight" && expanded === "false")
            toggle(item, true);
        else if (event.key === "ArrowRight" && expanded === "true")
            focusItem(item.querySelector(':scope > ul > li[role="treeitem"]'));
        else if (event.key === "ArrowLeft" && expanded === "true")
            toggle(item, false);
        else if (event.key === "ArrowLeft" && item.parentElement.closest('li[role="treeitem"]'))
            focusItem(item.parentElement.closest('li[role="treeitem"]'));
        else if (event.key === "Enter" || event.key === " ")
            chooseFolder(item);
        else
            return;
        event.preventDefault();
    });

    // Opens a folder entry: the tree shows it and the table its contents.
    function openEntry(i) {
        if (!isFolder[i])
            return;
        const chain = [];
        for (let f = i; f >= 0; f = parent[f])
            chain.unshift(f);
        let item = tree.querySelector('li[data-folder="-1"]');
        toggle(item, true);
        for (const f of chain) {
            const next = item.querySelector(':scope > ul > li[data-folder="' + f + '"]');
            if (!next)
                break;
            item = next;
            toggle(item, true);
        }
        chooseFolder(item);
        rowsBox.focus();
    }

    function fillTypes() {
        const counts = new Map();
        for (let i = 0; i < count; ++i)
            if (!isFolder[i])
                counts.set(typeOf[i], (counts.get(typeOf[i]) || 0) + 1);
        const options = [["folders", "Folders"], ["files", "Files"]];
        const ranked = Array.from(counts).sort((a, b) => b[1] - a[1] || (types[a[0]] < types[b[0]] ? -1 : 1));
        for (const [id, n] of ranked.slice(0, 300))
            options.push(["type:" + id, (types[id] ? "." + types[id] : "No type") + " (" + exactSize(n) + ")"]);
        for (const [value, label] of options) {
            const option = document.createElement("option");
            option.value = value;
            option.textContent = label;
            typeBox.appendChild(option);
        }
    }

    for (const button of document.querySelectorAll("#columns button")) {
        button.addEventListener("click", () => {
            const column = button.dataset.column;
            sortDescending = sortColumn === column ? !sortDescending : false;
            sortColumn = column;
            for (const other of document.querySelectorAll("#columns button"))
                other.removeAttribute("aria-sort");
            button.setAttribute("aria-sort", sortDescending ? "descending" : "ascending");
            current = -1;
            refresh();
        });
    }
    searchBox.addEventListener("input", refreshSoon);
    typeBox.addEventListener("change", refresh);
    wholeButton.addEventListener("click", () => chooseFolder(tree.querySelector('li[data-folder="-1"]')));
    document.addEventListener("keydown", (event) => {
        const typing = event.target instanceof HTMLInputElement || event.target instanceof HTMLSelectElement;
        if (event.key === "/" && !typing) {
            searchBox.focus();
            event.preventDefault();
        }
    });

    // What the rows shown are, in words, so that paper says which part of the listing it holds.
    function choiceText() {
        const parts = [exactSize(view.length) + " of " + exactSize(count) + " entries"];
        if (scope >= 0)
            parts.push("in " + folderPaths[scope]);
        if (searchBox.value)
            parts.push("names and paths holding \u201c" + searchBox.value + "\u201d");
        if (typeBox.value)
            parts.push("type " + typeBox.selectedOptions[0].textContent.replace(/ \([0-9,]+\)$/, ""));
        if (sortColumn) {
            const title = document.querySelector('#columns button[data-column="' + sortColumn + '"]').textContent;
            parts.push("sorted by " + title + (sortDescending ? ", descending" : ""));
        }
        return parts.join("; ") + ".";
    }

    // Printing gives the rows shown, up to a limit, as a plain table whose titles repeat on every page.
    window.addEventListener("beforeprint", () => {
        const table = byId("printed");
        table.replaceChildren();
        const printed = Math.min(view.length, printLimit);
        const note = printed < view.length
            ? " Only the first " + exactSize(printed) + " are printed: narrow them by folder, search or type to print the rest."
            : "";
        table.createCaption().textContent = "Printed: " + choiceText() + note;
        const head = table.createTHead().insertRow();
        for (const title of ["Name", "Size", "Bytes", "Created", "Folder"]) {
            const th = document.createElement("th");
            th.textContent = title;
            head.appendChild(th);
        }
        // Markup parsed at once builds tens of thousands of rows several times faster than cell by cell.
        const markup = [];
        const cell = (text) => "<td>" + text.replace(/[&<]/g, (c) => (c === "&" ? "&amp;" : "&lt;")) + "</td>";
        for (const i of view.subarray(0, printed))
            markup.push("<tr>" + cells(i).map(cell).join("") + "</tr>");
        if (note)
            markup.push("<tr>" + cell("The first " + exactSize(printed) + " of " + exactSize(view.length) + " entries.") + "</tr>");
        table.createTBody().innerHTML = markup.join("");
        table.hidden = false;
    });
    window.addEventListener("afterprint", () => {
        byId("printed").hidden = true;
        byId("printed").replaceChildren();
    });

    read();
    fillTypes();
    const root = treeItem(-1);
    tree.appendChild(root);
    toggle(root, true);
    root.tabIndex = 0;
    root.setAttribute("aria-selected", "true");
    for (const control of [searchBox, typeBox])
        control.disabled = false;
    refresh();
    document.body.dataset.state = "ready";
})();
