#include "reportoptions.h"

#include <QStringView>

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
    TypeSlot& slot = m_slots.at(static_cast<size_t>(i));
    if (slot.enabled)
        slot.typechecked = checked ? 1 : 0;
}

void ReportOptions::setTypeText(int i, const QString& text)
{
    TypeSlot& slot = m_slots.at(static_cast<size_t>(i));
    if (slot.enabled)
        slot.typetext = text;
}

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

// Counts characters, not UTF-16 units, so a name ending in a character outside the BMP is never cut in half.
QStringView lastThreeCharacters(QStringView name)
{
    qsizetype start = name.size();
    for (int taken = 0; taken < 3 && start > 0; ++taken) {
        --start;
        if (start > 0 && name[start].isLowSurrogate() && name[start - 1].isHighSurrogate())
            --start;
    }
    return name.sliced(start);
}

bool anyCheckedSlotMatches(const QString& name, const ReportOptions& options)
{
    const QStringView lastThree = lastThreeCharacters(name);
    for (int i = 0; i < ReportOptions::slotCount; ++i) {
        const TypeSlot& slot = options.slot(i);
        if (slot.typechecked == 1 && slot.typetext == lastThree)
            return true;
    }
    return false;
}

}

bool checkforprint(const QString& sect1, RowKind kind, const ReportOptions& options)
{
    const bool folderRow = kind == RowKind::Folder;
    const bool emptyRow = kind == RowKind::Blank;
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
