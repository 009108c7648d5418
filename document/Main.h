#pragma once

#include "document/Categories.h"
#include "document/FaceHistory.h"
#include "document/FaceParts.h"
#include "document/FaceSession.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>

#include <memory>

class FaceDrop;
class FileDlg;
class IniFile;
class ItemSelect;
class PictureBox;
class PrinterDlg;
class QAction;
class QLabel;
class QSessionManager;

// The program's main window: the composite face and its code, the menu from
// which every command starts, and the pickers. The face itself is held and
// written by its FaceHistory: every command hands its change to it, and the
// window draws the face, its title and the pickers again when it changes.
// Loading, saving and the question before a face is dropped belong to its
// FaceSession.
class Main : public QMainWindow
{
    Q_OBJECT

public:
    // appDir is the folder that holds the parts library; by default the
    // folder of the executable.
    explicit Main(const QString &appDir = {}, QWidget *parent = nullptr);
    ~Main() override;

    // Start-up, before the window is first shown: the command text (the
    // program's arguments joined by blanks) names a face file to read when
    // it is not empty; then the shared objects are made and the pickers open.
    void Form_Load(const QString &commandText);

    // Redraws the composite from the part files and the face code from the
    // part codes.
    void Render();

    const FaceDocument &document() const { return m_history->document(); }
    // The face's one writer, which every change goes through.
    FaceHistory &history() { return *m_history; }
    FaceSession &session() { return *m_session; }
    const QString &appDir() const { return m_appDir; }

    // The pickers still open, in the order they were opened.
    QList<ItemSelect *> openPickers() const;

    // Takes a picker's decision into the face.
    void takePart(Category category, const QString &partFile, const QString &code);

    PictureBox *const Picture1;
    QLabel *const Label1;

    const std::unique_ptr<FileDlg> FileDialog;
    const std::unique_ptr<PrinterDlg> PrinterDialog;
    const std::unique_ptr<IniFile> IniSettings;

public Q_SLOTS:
    void F_New_Click();
    void F_Open_Click();
    void F_Save_Click();
    void F_SaveAS_Click();
    void F_SavePic_Click();
    void F_Print_Click();
    void F_Close_Click();
    void E_llWindow_Click();
    void E_VercodeLoading_Click();
    void E_Undo_Click();
    void E_Redo_Click();
    void E_Copy_Click();
    void E_Paste_Click();
    void E_Random_Click();
    void H_ViewHelp_Click();
    void H_Version_Click();

Q_SIGNALS:
    // The exit check has let the window close: the program is to end.
    void ended();

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createMenu();
    // The Edit menu's commands on the face's history (MainEdit.cpp).
    void connectHistory();
    void faceChanged(FaceHistory::Change change);
    // Every picker of pickers shows the face's part of its category.
    void showFace(const QList<ItemSelect *> &pickers) const;
    void commitData(QSessionManager &manager);
    void closePickers();

    QString m_appDir;
    std::unique_ptr<FaceHistory> m_history;
    std::unique_ptr<FaceSession> m_session;
    QList<QPointer<ItemSelect>> m_pickers;
    std::unique_ptr<FaceDrop> m_drop;
};
