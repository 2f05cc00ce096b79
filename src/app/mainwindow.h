#pragma once

#include "listingfilecommands.h"
#include "listingsession.h"
#include "listingtable.h"
#include "listingtally.h"
#include "platformservices.h"
#include "reportoptions.h"
#include "reportoptionswindow.h"

#include <QHash>
#include <QMainWindow>

class FileList;
class FolderList;
class GridColumnResizer;
class GridModel;
class ListingActions;
class ListingStatusBar;
class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QToolBar;

// frmVellumark: picks the drive and folder, shows the listing and routes every command.
class MainWindow final : public QMainWindow, public ListingSession {
    Q_OBJECT
public:
    explicit MainWindow(const PlatformServices& services, QWidget* parent = nullptr);
    ~MainWindow() override;

    [[nodiscard]] ReportOptions& reportOptions() { return m_options; }
    [[nodiscard]] ReportOptionsWindow& reportOptionsWindow() { return m_reportOptionsWindow; }

    // ListingSession
    QWidget* window() override { return this; }
    PlatformServices& services() override { return m_services; }
    ListingTable& listing() override { return m_listing; }
    void listingChanged() override;
    QString selectedPath() const override;
    void setSelectedPath(const QString& path) override;
    ListingChoices listingChoices() const override { return m_choices; }
    ListingOrigin listingOrigin() const override { return m_origin; }
    ListingGaps listingGaps() const override;
    void setListingChoices(const ListingChoices& choices);
    bool listsaved() const override { return m_listsaved; }
    void setListsaved(bool saved) override { m_listsaved = saved; }
    bool closing() const override { return m_closing; }
    void endProgram() override;
    void listingFileChanged(const QString& path, bool opened, bool cutAtLimit) override;
    bool commandRunning() const override { return m_commandRunning; }
    void setCommandRunning(bool running) override { m_commandRunning = running; }

    void createlisting();
    void savereport();
    void openreport();
    void printlisting();
    void printWithDialog();
    void exportPdf();
    void exportCatalogue();
    void exportJsonLines();
    void showOptions();
    void chooseListingChoices();
    void showPrintPreview();
    void showHelpTopics();
    void showAbout();
    void Toolbar1_ButtonClick(int index);
    void mnuExit_Click() { close(); }

signals:
    void programEnded();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void createMenus();
    void createFileMenu();
    void createReportMenu();
    void createListingActions();
    void createHelpMenu();
    void createToolbar();
    void layoutControls();
    void layoutGrids();
    void growWithWindow(QWidget* client);
    void chooseFolder(const QString& folder);
    void showListingState();
    void startUp();
    QAction* addCommand(QMenu* menu, const QString& name, const QString& text, const QKeySequence& shortcut,
        void (MainWindow::*command)());

    void DrvChosenDrive_Change(int index);
    void DirChosenDirectory_Change(const QString& path);
    [[nodiscard]] bool checkforsave();
    void unloadSecondaryWindows();

    PlatformServices m_services;
    ListingTable m_listing;
    ReportOptions m_options;
    ListingChoices m_choices;
    ReportOptionsWindow m_reportOptionsWindow;
    ListingFileCommands m_listingFiles { *this, m_options };
    bool m_listsaved = true;
    bool m_closing = false;
    bool m_commandRunning = false;
    bool m_ended = false;
    QHash<QString, QString> m_currentFolderByDrive;
    ListingTally m_tally;
    ListingOrigin m_origin;
    QString m_listingFile; // the file the listing was last saved to or opened from
    QString m_shownDrive;

    QToolBar* m_toolbar = nullptr;
    QPushButton* m_cmdcreatelist = nullptr;
    QPushButton* m_cmdprintrpt = nullptr;
    QComboBox* m_DrvChosenDrive = nullptr;
    FolderList* m_DirChosenDirectory = nullptr;
    FileList* m_FilSelectedFiles = nullptr;
    QLabel* m_lblSelection = nullptr;
    QLineEdit* m_txtSelection = nullptr;
    QLabel* m_Label1 = nullptr;
    QTableView* m_Grid1 = nullptr;
    QTableView* m_Grid2 = nullptr;
    GridModel* m_grid1Model = nullptr;
    GridModel* m_grid2Model = nullptr;
    GridColumnResizer* m_columns = nullptr;
    ListingStatusBar* m_statusBar = nullptr;
    QMenu* m_editMenu = nullptr;
    ListingActions* m_listingActions = nullptr;
};
