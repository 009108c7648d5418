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
            QAction *action = item.handler ? menu->addAction(QString::fromUtf16(item.caption))
                                           : menu->addSeparator();
            action->setObjectName(QString::fromUtf16(item.name));
            if (!item.handler)
                continue;
            action->setShortcut(item.shortcut);
            AccessibleAction::describe(action, spokenCaption(action->text()),
                                       QStringLiteral("「%1」メニューのコマンド").arg(menuName));
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
