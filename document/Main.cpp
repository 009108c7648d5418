#include "document/Main.h"

#include "document/Composite.h"
#include "document/FaceCode.h"
#include "document/FaceFile.h"
#include "document/PictureBox.h"
#include "output/PrinterDlg.h"
#include "platform/FileDlg.h"
#include "platform/IniFile.h"
#include "platform/MsgBox.h"
#include "selection/FaceCodeEntry.h"
#include "selection/ItemSelect.h"
#include "selection/PickerArrangement.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPainter>
#include <QSaveFile>
#include <QScreen>
#include <QSessionManager>
#include <QShortcut>

using namespace Qt::StringLiterals;

namespace {

// A face file holds two short lines; reading stops here so that a wrong file
// chosen by mistake cannot take the memory.
constexpr qint64 kMaxFaceFileBytes = 1 << 20;

QString nativeName(const QString &fileName)
{
    return QDir::toNativeSeparators(fileName);
}

// The choices of the open and save dialogs for face files.
const QString kFaceFilter = u"顔データ|*.kgm|すべてのファイル |*.*|"_s;

} // namespace

Main::Main(const QString &appDir, QWidget *parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowCloseButtonHint),
      m_appDir(appDir.isEmpty() ? QCoreApplication::applicationDirPath() : appDir)
{
    setObjectName(u"Main"_s);
    setWindowTitle(u"かおぐみ"_s);
    setWindowIcon(QIcon(u":/kaogumi.svg"_s));

    auto *client = new QWidget(this);
    client->setFixedSize(249, 283);
    client->setAutoFillBackground(true);
    QPalette white = client->palette();
    white.setColor(QPalette::Window, Qt::white);
    client->setPalette(white);
    setCentralWidget(client);

    Label1 = new QLabel(client);
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

    Picture1 = new PictureBox(QSize(Composite::SurfaceWidth, Composite::SurfaceHeight), client);
    Picture1->setObjectName(u"Picture1"_s);
    Picture1->move(0, 0);
    // The surface lies over the label's top row, as a window does over a
    // plain label.
    Picture1->raise();

    createMenu();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    adjustSize();

    connect(qApp, &QGuiApplication::commitDataRequest, this, &Main::commitData);
}

Main::~Main()
{
    closePickers();
}

void Main::createMenu()
{
    struct Item
    {
        const char16_t *name;
        const char16_t *caption;
        QKeySequence shortcut;
        void (Main::*handler)();
    };
    struct Menu
    {
        const char16_t *name;
        const char16_t *caption;
        std::initializer_list<Item> items;
    };
    // A null handler marks a separator.
    const Menu menus[] = {
        {u"F_0",
         u"ファイル(&F&ﾊ)",
         {{u"F_New", u"新規(&N)", QKeySequence(Qt::CTRL | Qt::Key_N), &Main::F_New_Click},
          {u"F_Open", u"開く(&O)", QKeySequence(Qt::CTRL | Qt::Key_O), &Main::F_Open_Click},
          {u"F_Save", u"保存(&S)", QKeySequence(Qt::CTRL | Qt::Key_S), &Main::F_Save_Click},
          {u"F_SaveAS", u"名前を付けて保存(&A)", {}, &Main::F_SaveAS_Click},
          {u"F_Sen1", u"-", {}, nullptr},
          {u"F_SavePic", u"画像として保存(&B)", {}, &Main::F_SavePic_Click},
          {u"F_Print", u"印刷(&P)", QKeySequence(Qt::CTRL | Qt::Key_P), &Main::F_Print_Click},
          {u"F_SEN2", u"-", {}, nullptr},
          {u"F_Close", u"終了(&C)", {}, &Main::F_Close_Click}}},
        {u"E_0",
         u"編集(&E&ｲ)",
         {{u"E_llWindow", u"すべてのウィンドウを表示(&A)", {}, &Main::E_llWindow_Click},
          {u"E_Sen1", u"-", {}, nullptr},
          {u"E_VercodeLoading", u"バーコード(&V)", {}, &Main::E_VercodeLoading_Click}}},
        {u"H_0",
         u"ヘルプ(&H&ｸ)",
         {{u"H_ViewHelp", u"ヘルプを見る(&T)", QKeySequence(Qt::Key_F1), &Main::H_ViewHelp_Click},
          {u"H_Sen1", u"-", {}, nullptr},
          {u"H_Version", u"バージョン情報(&A)", {}, &Main::H_Version_Click}}},
    };

    for (const Menu &m : menus) {
        const QString caption = QString::fromUtf16(m.caption);
        QMenu *menu = menuBar()->addMenu(caption);
        menu->setObjectName(QString::fromUtf16(m.name));
        menu->menuAction()->setObjectName(QString::fromUtf16(m.name));
        for (const Item &item : m.items) {
            QAction *action = item.handler ? menu->addAction(QString::fromUtf16(item.caption))
                                           : menu->addSeparator();
            action->setObjectName(QString::fromUtf16(item.name));
            if (!item.handler)
                continue;
            action->setShortcut(item.shortcut);
            // The pickers are windows of their own; Ctrl+S and the others
            // work while one of them is active too.
            action->setShortcutContext(Qt::ApplicationShortcut);
            connect(action, &QAction::triggered, this, item.handler);
        }
        // The caption's second mnemonic is for the kana keyboard layout: Alt
        // with that kana opens the menu as Alt with the letter does.
        const qsizetype second = caption.indexOf(u'&', caption.indexOf(u'&') + 1);
        if (second >= 0 && second + 1 < caption.size()) {
            const QChar kana = caption.at(second + 1);
            auto *shortcut = new QShortcut(QKeySequence(Qt::ALT | kana.unicode()), this);
            connect(shortcut, &QShortcut::activated, this,
                    [this, menu] { menuBar()->setActiveAction(menu->menuAction()); });
        }
    }
}

void Main::Form_Load(const QString &commandText)
{
    if (!commandText.isEmpty())
        LoadFace(commandText);
    // Where the window starts is ours to choose: the window and its column
    // of pickers, side by side, in the middle of the screen.
    if (!testAttribute(Qt::WA_Moved)) {
        if (const QScreen *screen = QGuiApplication::primaryScreen()) {
            const QRect free = screen->availableGeometry();
            const QSize group(width() + 220, height());
            move(free.center() - QPoint(group.width() / 2, group.height() / 2));
        }
    }
    FileDialog = std::make_unique<FileDlg>();
    PrinterDialog = std::make_unique<PrinterDlg>();
    IniSettings = std::make_unique<IniFile>();
    E_llWindow_Click();
}

void Main::Render()
{
    {
        QPainter painter(&Picture1->image());
        Composite::draw(painter, m_appDir, m_doc.PartFiles);
    }
    Picture1->update();
    Label1->setText(FaceCode::compose(m_doc.PartCodes));
}

void Main::LoadFace(const QString &fileName)
{
    QFileInfo info(fileName);
    if (!info.exists()) {
        // A name that names nothing yet is a new face that Save will create.
        m_doc.FaceFileName = fileName;
        m_doc.PartFiles = {};
        m_doc.PartCodes = {};
        Render();
        m_doc.Modified = false;
        return;
    }

    QString reason;
    QByteArray bytes;
    QFile file(fileName);
    if (info.isDir()) {
        reason = u"フォルダです。"_s;
    } else if (!info.isFile()) {
        reason = u"通常のファイルではありません。"_s;
    } else if (!file.open(QIODevice::ReadOnly)) {
        reason = file.errorString();
    } else {
        bytes = file.read(kMaxFaceFileBytes);
        if (file.error() != QFileDevice::NoError)
            reason = file.errorString();
    }
    if (!reason.isEmpty()) {
        // The face on screen stays as it is, and so does the file it belongs to.
        showError(u"「%1」を読み込めませんでした。\r%2"_s.arg(nativeName(fileName), reason));
        return;
    }

    const FaceFile::ReadResult face = FaceFile::read(bytes);
    if (!face.ok) {
        showError(u"フォーマットが不正です。\rこのバージョンでは読み込むことはできません。"_s);
        return;
    }
    m_doc.FaceFileName = fileName;
    m_doc.PartFiles = face.PartFiles;
    m_doc.PartCodes = face.PartCodes;
    Render();
    m_doc.Modified = false;
}

void Main::showError(const QString &prompt)
{
    MsgBox::show(this,
                 {prompt, MsgBox::Buttons::Ok, MsgBox::Icon::Critical, {}, MsgBox::Answer::Ok});
}

bool Main::writeFace()
{
    const QString &fileName = m_doc.FaceFileName;
    const FaceFile::WriteResult face = FaceFile::write(m_doc.PartFiles, m_doc.PartCodes);
    QString reason = face.error;
    if (reason.isEmpty()) {
        // Written beside the old file and renamed over it only when complete,
        // so a failed save leaves the old file whole.
        QSaveFile file(fileName);
        if (!file.open(QIODevice::WriteOnly) || file.write(face.bytes) != face.bytes.size() ||
            !file.commit()) {
            reason = file.errorString();
        }
    }
    if (!reason.isEmpty()) {
        showError(u"「%1」に保存できませんでした。\r%2"_s.arg(nativeName(fileName), reason));
        return false;
    }
    m_doc.Modified = false;
    return true;
}

bool Main::mayDropFace(const QString &question, const QString &title)
{
    if (!m_doc.Modified)
        return true;
    const MsgBox::Answer answer =
        MsgBox::show(this, {question, MsgBox::Buttons::YesNoCancel, MsgBox::Icon::Question, title,
                            MsgBox::Answer::Yes});
    if (answer == MsgBox::Answer::Cancel)
        return false;
    if (answer == MsgBox::Answer::Yes) {
        F_Save_Click();
        // A save that did not happen keeps the face.
        return !m_doc.Modified;
    }
    return true;
}

void Main::F_New_Click()
{
    // A new face empties the pictures of the one on screen; it is saved first
    // when the user wants it kept.
    if (!mayDropFace(u"新しい顔にします。\r今の顔を保存しますか？"_s, u"新規"_s))
        return;
    m_doc.PartFiles = {};
    Render();
}

void Main::F_Open_Click()
{
    if (!mayDropFace(u"ほかの顔を開きます。\r今の顔を保存しますか？"_s, u"顔を開く"_s))
        return;
    FileDialog->setTitle(u"顔を開く"_s);
    FileDialog->setFilter(kFaceFilter);
    FileDialog->ShowOpen(this, {}, {});
    if (FileDialog->Cancel())
        return;
    LoadFace(FileDialog->Filename());
}

void Main::F_Save_Click()
{
    if (m_doc.FaceFileName.isEmpty()) {
        F_SaveAS_Click();
        return;
    }
    writeFace();
}

void Main::F_SaveAS_Click()
{
    FileDialog->setTitle(u"顔の保存"_s);
    FileDialog->setFilter(kFaceFilter);
    FileDialog->ShowSave(this, {}, {});
    if (FileDialog->Cancel())
        return;
    m_doc.FaceFileName = FileDialog->Filename();
    F_Save_Click();
}

void Main::F_SavePic_Click() {}

void Main::F_Print_Click() {}

void Main::F_Close_Click()
{
    close();
}

void Main::E_llWindow_Click()
{
    for (ItemSelect *picker : PickerArrangement::openPickers(this)) {
        m_pickers.append(picker);
        connect(picker, &ItemSelect::closed, this,
                [this](ItemSelect *closed) { m_pickers.removeAll(closed); });
    }
}

void Main::E_VercodeLoading_Click()
{
    FaceCodeEntry::run(this, openPickers());
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

void Main::H_ViewHelp_Click() {}

void Main::H_Version_Click() {}

bool Main::confirmEnd()
{
    if (!m_doc.Modified || m_endConfirmed)
        return true;
    const MsgBox::Answer answer = MsgBox::show(
        this, {u"かおぐみを終了します。\r顔を保存しますか？"_s, MsgBox::Buttons::YesNoCancel,
               MsgBox::Icon::Question, u"かおぐみの終了"_s, MsgBox::Answer::Yes});
    switch (answer) {
    case MsgBox::Answer::Yes:
        F_Save_Click();
        // A save that did not happen (it failed, or no name was chosen) keeps
        // the program running rather than losing the face.
        return !m_doc.Modified;
    case MsgBox::Answer::No:
        return true;
    default:
        return false;
    }
}

void Main::closeEvent(QCloseEvent *event)
{
    if (!confirmEnd()) {
        event->ignore();
        return;
    }
    event->accept();
    closePickers();
    Q_EMIT ended();
}

void Main::commitData(QSessionManager &manager)
{
    // Logging out of the desktop asks the same question as closing the window.
    if (!m_doc.Modified || !manager.allowsInteraction())
        return;
    const bool end = confirmEnd();
    manager.release();
    if (end)
        m_endConfirmed = true;
    else
        manager.cancel();
}
