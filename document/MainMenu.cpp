// The main window's menu: every command, with its caption and shortcut, in one
// table.
#include "document/Main.h"
#include "platform/AccessibleAction.h"

#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>

namespace {

// What a screen reader reads for a caption: the words without the mnemonic
// group, such as 保存 for 保存(&S); the keys are read as the shortcut.
QString spokenCaption(const QString &caption)
{
    // The mnemonics close the caption in brackets: 「ファイル(&F&ﾊ)」. Plain
    // string work, not a regular expression, whose compiled matcher reads
    // past the end of the text (valgrind reports every such read).
    QString text = caption;
    const qsizetype open = text.lastIndexOf(u"(&");
    if (open >= 0 && text.endsWith(u')') && text.indexOf(u')', open) == text.size() - 1)
        text.truncate(open);
    return text.remove(u'&');
}

} // namespace

void Main::createMenu()
{
    struct Item
    {
        const char16_t *name;
        const char16_t *caption;
        QKeySequence shortcut;
        void (Main::*handler)();
        // A lock of おまかせ: an item that is checked, with no command.
        bool checkable = false;
    };
    struct Menu
    {
        const char16_t *name;
        const char16_t *caption;
        std::initializer_list<Item> items;
    };
    // The caption "-" marks a separator.
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
          {u"E_VercodeLoading", u"バーコード(&V)", {}, &Main::E_VercodeLoading_Click},
          {u"E_Sen2", u"-", {}, nullptr},
          {u"E_Undo", u"元に戻す(&U)", QKeySequence(Qt::CTRL | Qt::Key_Z), &Main::E_Undo_Click},
          {u"E_Redo", u"やり直し(&R)", QKeySequence(Qt::CTRL | Qt::Key_Y), &Main::E_Redo_Click},
          {u"E_Copy", u"コピー(&C)", QKeySequence(Qt::CTRL | Qt::Key_C), &Main::E_Copy_Click},
          {u"E_Paste", u"貼り付け(&P)", QKeySequence(Qt::CTRL | Qt::Key_V), &Main::E_Paste_Click},
          {u"E_Sen3", u"-", {}, nullptr},
          {u"E_Random", u"おまかせ(&M)", QKeySequence(Qt::CTRL | Qt::Key_R), &Main::E_Random_Click},
          {u"E_KeepOutline", u"顔はそのまま(&1)", {}, nullptr, true},
          {u"E_KeepEyes", u"目はそのまま(&2)", {}, nullptr, true},
          {u"E_KeepHair", u"髪はそのまま(&3)", {}, nullptr, true},
          {u"E_KeepMouth", u"口はそのまま(&4)", {}, nullptr, true}}},
        {u"H_0",
         u"ヘルプ(&H&ｸ)",
         {{u"H_ViewHelp", u"ヘルプを見る(&T)", QKeySequence(Qt::Key_F1), &Main::H_ViewHelp_Click},
          {u"H_Sen1", u"-", {}, nullptr},
          {u"H_Version", u"バージョン情報(&A)", {}, &Main::H_Version_Click}}},
    };

    menuBar()->setAccessibleName(QStringLiteral("メニューバー"));
    for (const Menu &m : menus) {
        const QString caption = QString::fromUtf16(m.caption);
        QMenu *menu = menuBar()->addMenu(caption);
        menu->setObjectName(QString::fromUtf16(m.name));
        menu->setAccessibleName(spokenCaption(caption));
        menu->menuAction()->setObjectName(QString::fromUtf16(m.name));
        const QString menuName = spokenCaption(caption);
        AccessibleAction::describe(menu->menuAction(), menuName,
                                   QStringLiteral("「%1」メニュー").arg(menuName));
        for (const Item &item : m.items) {
            const QString itemCaption = QString::fromUtf16(item.caption);
            QAction *action =
                itemCaption == u"-" ? menu->addSeparator() : menu->addAction(itemCaption);
            action->setObjectName(QString::fromUtf16(item.name));
            if (action->isSeparator())
                continue;
            action->setCheckable(item.checkable);
            action->setShortcut(item.shortcut);
            AccessibleAction::describe(action, spokenCaption(action->text()),
                                       QStringLiteral("「%1」メニューのコマンド").arg(menuName));
            // The pickers are windows of their own; Ctrl+S and the others
            // work while one of them is active too.
            action->setShortcutContext(Qt::ApplicationShortcut);
            if (item.handler)
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
