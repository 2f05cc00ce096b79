#include "reportoptions.h"

void ReportOptions::chooseMode(FilterMode mode)
{
    m_filtermode = mode;
    if (mode == FilterMode::IncludeAll)
        deactivatefilter();
    else
        activatefilter();
}

void ReportOptions::setTypeChecked(int i, bool checked)
{
    m_slots.at(static_cast<size_t>(i)).typechecked = checked ? 1 : 0;
}

void ReportOptions::setTypeText(int i, const QString& text) { m_slots.at(static_cast<size_t>(i)).typetext = text; }

void ReportOptions::activatefilter()
{
    for (TypeSlot& slot : m_slots)
        slot.enabled = true;
    m_filteractive = true;
}

void ReportOptions::deactivatefilter()
{
    for (TypeSlot& slot : m_slots)
        slot = TypeSlot {};
    m_filteractive = false;
}

void ReportOptions::resetToDefaults()
{
    deactivatefilter();
    m_filtermode = FilterMode::IncludeAll;
}

namespace {
bool anyCheckedSlotMatches(const QString& name, const ReportOptions& options)
{
    const QString lastThree = name.right(3);
    for (int i = 0; i < ReportOptions::slotCount; ++i) {
        const TypeSlot& slot = options.slot(i);
        if (slot.typechecked == 1 && slot.typetext == lastThree)
            return true;
    }
    return false;
}
}

bool checkforprint(const QString& sect1, const QString& sect2, const QString&, const ReportOptions& options)
{
    const bool folderRow = sect2 == QLatin1String(" ");
    const bool emptyRow = sect2.isEmpty();
    switch (options.filtermode()) {
    case FilterMode::IncludeAll:
        return true;
    case FilterMode::ExcludeTypes:
        return !folderRow && !emptyRow && !anyCheckedSlotMatches(sect1, options);
    case FilterMode::IncludeTypes:
        return !emptyRow && anyCheckedSlotMatches(sect1, options);
    }
    return true;
}
