#include "document/Main.h"

#include "document/Composite.h"
#include "document/FaceCode.h"
#include "document/FaceDrop.h"
#include "document/FaceSession.h"
#include "document/PictureBox.h"
#include "output/PictureExport.h"
#include "output/PrintCommand.h"
#include "output/PrinterDlg.h"
#include "platform/FileDlg.h"
#include "platform/IniFile.h"
#include "platform/MoVersion.h"
#include "platform/Module.h"
#include "platform/MsgBox.h"
#include "platform/TerminationSignals.h"
#include "selection/FaceCodeEntry.h"
#include "selection/ItemSelect.h"
#include "selection/PickerArrangement.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QLayout>
#include <QPainter>
#include <QScreen>
#include <QSessionManager>

using namespace Qt::StringLiterals;

Main::Main(const QString &appDir, QWidget *parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowCloseButtonHint),
      Picture1(new PictureBox(QSize(Composite::SurfaceWidth, Composite::SurfaceHeight))),
      Label1(new QLabel), FileDialog(std::make_unique<FileDlg>()),
      PrinterDialog(std::make_unique<PrinterDlg>()), IniSettings(std::make_unique<IniFile>()),
      m_appDir(appDir.isEmpty() ? QCoreApplication::applicationDirPath() : appDir),
      m_history(std::make_unique<FaceHistory>()),
      m_session(std::make_unique<FaceSession>(this, *FileDialog, *m_history)),
      m_drop(std::make_unique<FaceDrop>(this, *m_session, [this](const QString &code) {
          m_history->asOneStep(u"バーコード"_s, [&] { FaceCodeEntry::enter(code, m_pickers); });
      }))
{
    setObjectName(u"Main"_s);
    setWindowIcon(MsgBox::applicationIcon());

    auto *client = new QWidget(this);
    client->setFixedSize(249, 283);
    client->setAutoFillBackground(true);
    QPalette white = client->palette();
    white.setColor(QPalette::Window, Qt::white);
    client->setPalette(white);
    setCentralWidget(client);
    client->setAccessibleName(u"顔"_s);

    Label1->setParent(client);
    Label1->setObjectName(u"Label1"_s);
    Label1->setGeometry(0, 264, 105, 21);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Label1->setTextFormat(Qt::PlainText);
    Label1->setAutoFillBackground(true);
    QPalette tip = Label1->palette();
    tip.setColor(QPalette::Window, tip.color(QPalette::ToolTipBase));
    tip.setColor(QPalette::WindowText, tip.color(QPalette::ToolTipText));
    Label1->setPalette(tip);
    QFont font;
    // "System" is the classic bitmap face; fontconfig falls back through the
    // gothic faces, which also hold every Japanese glyph.
    font.setFamilies({u"System"_s, u"IPAPGothic"_s, u"IPAGothic"_s});
    font.setPointSizeF(13.5);
    font.setWeight(QFont::Normal);
    Label1->setFont(font);

    Picture1->setParent(client);
    Picture1->setObjectName(u"Picture1"_s);
    Picture1->move(0, 0);
    // The surface lies over the label's top row, as a window does over a
    // plain label.
    Picture1->raise();
    Picture1->setAccessibleName(u"顔の絵"_s);
    Picture1->setAccessibleDescription(u"選んだ髪・目・顔・口の部品で組み立てた顔"_s);
    Label1->setAccessibleName(u"顔コード"_s);
    Label1->setAccessibleDescription(u"髪・目・顔・口の部品の番号をつないだ顔コード"_s);

    createMenu();
    connectHistory();
    // Face files, exported pictures and pictures of printed cards open when dropped.
    setAcceptDrops(true);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    adjustSize();

    connect(m_history.get(), &FaceHistory::changed, this, &Main::faceChanged);
    faceChanged(FaceHistory::Change::State);
    connect(Picture1, &PictureBox::resolutionChanged, this, &Main::Render);
    connect(qApp, &QGuiApplication::commitDataRequest, this, &Main::commitData);
    // Told to end by a signal, the program ends without a question, as it
    // is asked to, and keeps a face with unsaved changes for the next start.
    connect(&TerminationSignals::instance(), &TerminationSignals::received, this, [this] {
        m_session->keepForRecovery();
        closePickers();
        // Ending the event loop closes the windows still shown, and closing
        // this one would ask whether to save.
        hide();
        Q_EMIT ended();
    });
    // Any key or click in the program's windows shows that the user works on;
    // an answer given to a logout that did not happen no longer holds.
    qApp->installEventFilter(this);
}

Main::~Main()
{
    closePickers();
}

void Main::Form_Load(const QString &commandText)
{
    // Where the window starts is ours to choose: the window and its column
    // of pickers, side by side, in the middle of the screen. It is placed
    // before the face file is read, so that a message about the file stands
    // over the place where the window is about to appear.
    if (!testAttribute(Qt::WA_Moved)) {
        if (const QScreen *screen = QGuiApplication::primaryScreen()) {
            const QRect free = screen->availableGeometry();
            const QSize group(width() + 220, height());
            move(free.center() - QPoint(group.width() / 2, group.height() / 2));
        }
    }
    if (!commandText.isEmpty())
        m_session->LoadFace(commandText);
    m_session->offerRecovery();
    // The shared objects exist from the constructor on, so that no command can
    // find them missing.
    E_llWindow_Click();
}

void Main::Render()
{
    {
        QPainter painter(&Picture1->image());
        Composite::paint(painter, Composite::loadLayers(m_appDir, document().PartFiles));
    }
    Picture1->update();
    Label1->setText(FaceCode::compose(document().PartCodes));
    Label1->setAccessibleName(u"顔コード "_s + Label1->text());
}

void Main::takePart(Category category, const QString &partFile, const QString &code)
{
    m_history->takePart(category, partFile, code);
}

void Main::F_New_Click()
{
    m_session->newFace();
}

void Main::F_Open_Click()
{
    m_session->open();
}

void Main::F_Save_Click()
{
    m_session->save();
}

void Main::F_SaveAS_Click()
{
    m_session->saveAs();
}

void Main::F_SavePic_Click()
{
    PictureExport::F_SavePic(this, *FileDialog, m_appDir, document(), [this] {
        Render();
        Picture1->repaint();
    });
}

void Main::F_Print_Click()
{
    // The card carries the code the window shows, as the user sees it.
    PrintCommand::F_Print(this, *PrinterDialog, Label1->text(),
                          Composite::loadLayers(m_appDir, document().PartFiles),
                          [this] { repaint(); });
}

void Main::F_Close_Click()
{
    close();
}

void Main::E_llWindow_Click()
{
    const QList<ItemSelect *> opened = PickerArrangement::openPickers(this, m_appDir);
    // New pickers show the face; the others stay where the user left them.
    showFace(opened);
    for (ItemSelect *picker : opened) {
        m_pickers.append(picker);
        connect(picker, &ItemSelect::decided, this, &Main::takePart);
        connect(picker, &ItemSelect::closed, this,
                [this](ItemSelect *closed) { m_pickers.removeAll(closed); });
    }
}

void Main::E_VercodeLoading_Click()
{
    // The pickers' decisions are one step of the face's history. Without a
    // picker open, a code entered only redraws the face.
    bool entered = false;
    m_history->asOneStep(u"バーコード"_s,
                         [&] { entered = FaceCodeEntry::run(this, Label1->text(), m_pickers); });
    if (entered)
        Render();
}

QList<ItemSelect *> Main::openPickers() const
{
    QList<ItemSelect *> open;
    for (const QPointer<ItemSelect> &picker : m_pickers) {
        if (picker)
            open.append(picker);
    }
    return open;
}

void Main::closePickers()
{
    // The pickers belong to no window; ending the program ends them.
    const QList<ItemSelect *> open = openPickers();
    m_pickers.clear();
    qDeleteAll(open);
}

void Main::H_ViewHelp_Click()
{
    Module::ShowHelp(QString());
}

void Main::H_Version_Click()
{
    MoVersion::showModal();
}

void Main::closeEvent(QCloseEvent *event)
{
    if (!m_session->confirmEnd()) {
        event->ignore();
        return;
    }
    event->accept();
    closePickers();
    Q_EMIT ended();
}

void Main::dragEnterEvent(QDragEnterEvent *event)
{
    FaceDrop::accept(*event);
}

void Main::dropEvent(QDropEvent *event)
{
    m_drop->drop(*event);
}

void Main::commitData(QSessionManager &manager)
{
    // Logging out of the desktop asks the same question as closing the window.
    const bool dialogOpen = QApplication::activeModalWidget() != nullptr;
    const bool allowed = manager.allowsInteraction();
    const bool end = m_session->answerLogout(allowed, dialogOpen);
    if (allowed)
        manager.release();
    if (!end)
        manager.cancel();
}

bool Main::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::MouseButtonPress)
        m_session->userActed();
    return QMainWindow::eventFilter(watched, event);
}
