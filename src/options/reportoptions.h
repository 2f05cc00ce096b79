#pragma once

#include "listingcodec.h"

#include <QString>
#include <array>

enum class FilterMode { IncludeAll, IncludeTypes, ExcludeTypes };

struct TypeSlot {
    int typechecked = 0; // only 1 counts as checked
    QString typetext;
    bool enabled = false;

    bool operator==(const TypeSlot&) const = default;
};

// A copy of the settings, taken to be put back when the user cancels their changes.
struct ReportOptionsState {
    FilterMode filtermode = FilterMode::IncludeAll;
    bool filteractive = false;
    std::array<TypeSlot, 6> typeSlots {};

    bool operator==(const ReportOptionsState&) const = default;
};

// The report settings. One instance lives for the whole run; every reader reads it live, row by row, and
// never keeps a copy.
class ReportOptions {
public:
    static constexpr int slotCount = 6;

    ReportOptions() = default;
    ReportOptions(const ReportOptions&) = delete;
    ReportOptions& operator=(const ReportOptions&) = delete;

    [[nodiscard]] FilterMode filtermode() const { return m_filtermode; }
    [[nodiscard]] bool filteractive() const { return m_filteractive; }
    [[nodiscard]] const TypeSlot& slot(int i) const { return m_slots.at(static_cast<size_t>(i)); }

    // Choosing a mode: Include Types and Exclude Types activate the slots, Include All clears them.
    void chooseMode(FilterMode mode);
    // A disabled slot cannot be edited, so no type survives Include All into the next filter.
    void setTypeChecked(int i, bool checked);
    void setTypeText(int i, const QString& text);
    void activatefilter();
    void deactivatefilter();
    void resetToDefaults();
    [[nodiscard]] ReportOptionsState state() const { return { m_filtermode, m_filteractive, m_slots }; }
    void restore(const ReportOptionsState& state)
    {
        m_filtermode = state.filtermode;
        m_filteractive = state.filteractive;
        m_slots = state.typeSlots;
    }

private:
    FilterMode m_filtermode = FilterMode::IncludeAll;
    bool m_filteractive = false;
    std::array<TypeSlot, slotCount> m_slots {};
};

// The row filter: true when a row of this name and kind passes the options in force.
[[nodiscard]] bool checkforprint(const QString& sect1, RowKind kind, const ReportOptions& options);
