#pragma once

#include "filedialogservice.h"

#include <QStringList>

// Answers each dialog with the next queued path; an empty queue cancels.
class FakeFileDialogService final : public FileDialogService {
public:
    QStringList openAnswers;
    QStringList saveAnswers;
    QStringList filtersAsked;
    QStringList suggestionsOffered;
    QString lastChosen;
    int opened = 0;
    int saved = 0;

    QString getOpenFileName(QWidget*, const QString& filter) override
    {
        ++opened;
        filtersAsked.append(filter);
        return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
    }
    QString getSaveFileName(QWidget*, const QString& filter) override
    {
        ++saved;
        filtersAsked.append(filter);
        return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
    }
    QString getSaveFileName(QWidget* parent, const QString& filter, const QString& suggestedName) override
    {
        suggestionsOffered.append(suggestedName);
        return getSaveFileName(parent, filter);
    }
    QString lastChosenPath() const override { return lastChosen; }
};
