#include "platform/FileDlg.h"

#include "platform/FileDetailsModel.h"
#include "platform/FileDlgMod.h"
#include "platform/FileKindIcons.h"
#include "platform/MsgBox.h"

#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLocale>
#include <QTreeView>

using namespace Qt::StringLiterals;

namespace {

FileDlg::Handler &handler()
{
    static FileDlg::Handler h;
    return h;
}

// The extension a pattern stands for, when it stands for exactly one:
// "*.kgm" gives "kgm", while "*", "*.*" and "face*.kg?" give none.
QString suffixOf(const QString &pattern)
{
    if (!pattern.startsWith(u"*."))
        return {};
    const QString suffix = pattern.mid(2);
    for (const QChar c : suffix) {
        if (c == u'*' || c == u'?' || c == u'[')
            return {};
    }
    return suffix;
}

// A folder given by the caller, made absolute and without a trailing "/".
QString absoluteFolder(const QString &folder)
{
    return QDir::cleanPath(QDir::current().absoluteFilePath(folder));
}

// The file or folder an answer names: its path taken in folder, and for a
// save, the selected filter's extension given to a name typed without one.
// The real dialog's answers and scripted ones both become paths here.
QString answeredPath(FileDlg::Kind kind, const QString &folder,
                     const QList<FileDlg::NameFilter> &filters, const FileDlg::Answer &answer)
{
    const QString path = QDir(folder).absoluteFilePath(answer.path);
    switch (kind) {
    case FileDlg::Kind::Open:
        break;
    case FileDlg::Kind::Save:
        if (answer.selectedFilter >= 0 && answer.selectedFilter < filters.size())
            return FileDlg::withDefaultSuffix(path, filters.at(answer.selectedFilter).suffix);
        break;
    case FileDlg::Kind::Folder:
        return QDir::cleanPath(path);
    }
    return path;
}

// Qt's own widget dialog, which behaves the same on every desktop. Its file
// list learns what it shows without opening a file and speaks the program's
// language; a save is decided by answeredPath, so the question before
// replacing a file names the file that would be written.
class FileDialog final : public QFileDialog
{
public:
    FileDialog(QWidget *parent, const FileDlg::Request &request,
               const QList<FileDlg::NameFilter> &filters, QAbstractFileIconProvider *icons)
        // No folder yet: the file list must not look at a file before it has
        // the icon provider that never opens one.
        : QFileDialog(parent, request.title), m_kind(request.kind), m_filters(filters)
    {
        // Only the descriptions show in the file type box, as the filter
        // lists are written for.
        Options options = DontUseNativeDialog;
        if (request.kind == FileDlg::Kind::Folder)
            options |= ShowDirsOnly;
        else
            options |= HideNameFilterDetails;
        setOptions(options);
        setIconProvider(icons);
        setProxyModel(new FileDetailsModel(this));
        fitDetailColumns();

        switch (request.kind) {
        case FileDlg::Kind::Open:
            setAcceptMode(AcceptOpen);
            setFileMode(request.mustExist ? ExistingFile : AnyFile);
            break;
        case FileDlg::Kind::Save:
            setAcceptMode(AcceptSave);
            setFileMode(AnyFile);
            break;
        case FileDlg::Kind::Folder:
            setAcceptMode(AcceptOpen);
            setFileMode(Directory);
            break;
        }
        // FIFOs, devices and sockets are listed too: their names are taken.
        if (request.kind != FileDlg::Kind::Folder)
            setFilter(filter() | QDir::System);

        // The file type box, found by the name Qt gives it: it shows the
        // filter descriptions and tells which one the user picked.
        m_types = findChild<QComboBox *>(u"fileTypeCombo"_s);
        if (!request.nameFilters.isEmpty()) {
            // Setting the list selects and applies its first entry, the one
            // the dialog opens with.
            setNameFilters(request.nameFilters);
            // Qt shows the descriptions with their blanks trimmed away; they
            // are shown as written instead. The entries keep their order, so
            // the position in the box is the position in the list.
            for (int i = 0; m_types && i < m_types->count() && i < request.descriptions.size(); ++i)
                m_types->setItemText(i, request.descriptions.at(i));
        }

        setDirectory(request.directory);
        if (!request.fileName.isEmpty())
            selectFile(QDir(request.directory).filePath(request.fileName));
    }

    // What the user chose, as a scripted user answers.
    FileDlg::Answer answer() const
    {
        return {result() == Accepted, selectedFiles().value(0), selectedIndex()};
    }

    void accept() override
    {
        if (m_kind != FileDlg::Kind::Save) {
            QFileDialog::accept();
            return;
        }
        const QString typed = selectedFiles().value(0);
        if (typed.isEmpty())
            return;
        const QString path = answeredPath(m_kind, directory().absolutePath(), m_filters,
                                          {true, typed, selectedIndex()});
        const QFileInfo info(path);
        // A folder's name opens the folder, as in Qt's own dialog.
        if (info.isDir()) {
            setDirectory(path);
            return;
        }
        if ((info.exists() || info.isSymLink()) && !replaceConfirmed(info.fileName()))
            return;
        QDialog::accept();
    }

private:
    // Qt names the selected filter by the text shown, which two entries may
    // share; the position tells them apart.
    int selectedIndex() const
    {
        if (m_types && m_types->count() == m_filters.size())
            return m_types->currentIndex();
        for (int i = 0; i < m_filters.size(); ++i) {
            if (m_filters.at(i).qtFilter == selectedNameFilter())
                return i;
        }
        return -1;
    }

    bool replaceConfirmed(const QString &fileName)
    {
        return MsgBox::show(this, {u"「%1」は既にあります。\r置き換えますか？"_s.arg(fileName),
                                   MsgBox::Buttons::YesNo, MsgBox::Icon::Exclamation, windowTitle(),
                                   MsgBox::Answer::No}) == MsgBox::Answer::Yes;
    }

    // Qt sizes the detail columns for English samples ("mp3Folder"); the
    // program's texts are Japanese and wider.
    void fitDetailColumns()
    {
        auto *tree = findChild<QTreeView *>(u"treeView"_s);
        if (!tree)
            return;
        const QFontMetrics metrics(tree->font());
        const QLocale locale;
        const auto fit = [tree, &metrics](int column, const QString &sample) {
            tree->header()->resizeSection(column, metrics.horizontalAdvance(sample) +
                                                      metrics.averageCharWidth() * 3);
        };
        fit(FileDetailsModel::Size, locale.formattedDataSize(999'990'000'000));
        fit(FileDetailsModel::Type, u"Windows BMP 画像"_s);
        fit(FileDetailsModel::Modified,
            locale.toString(QDateTime(QDate(2000, 12, 31), QTime(23, 59)), QLocale::ShortFormat));
    }

    FileDlg::Kind m_kind;
    QList<FileDlg::NameFilter> m_filters;
    QComboBox *m_types = nullptr;
};

FileDlg::Answer execDialog(QWidget *parent, const FileDlg::Request &request,
                           const QList<FileDlg::NameFilter> &filters)
{
    // Outlives the dialog, whose file list asks it until the end.
    FileKindIcons icons;
    FileDialog dialog(parent, request, filters, &icons);
    dialog.exec();
    return dialog.answer();
}

} // namespace

QList<FileDlg::NameFilter> FileDlg::parseFilterList(const QString &list)
{
    QStringList fields = list.split(u'|');
    // The bar after the last pattern leaves an empty field behind it.
    if (fields.constLast().isEmpty())
        fields.removeLast();

    QList<NameFilter> filters;
    for (qsizetype i = 0; i + 1 < fields.size(); i += 2) {
        NameFilter filter;
        filter.description = fields.at(i);
        const QStringList patterns = fields.at(i + 1).split(u';');
        for (const QString &written : patterns) {
            const QString pattern = written.trimmed();
            if (pattern.isEmpty())
                continue;
            // "*.*" means every file, names without a dot included; Qt's
            // wildcard would want a dot.
            filter.patterns.append(pattern == u"*.*" ? u"*"_s : pattern);
        }
        if (filter.patterns.isEmpty())
            continue;
        const QString head = filter.description.trimmed();
        filter.qtFilter =
            (head.isEmpty() ? QString() : head + u' ') + u'(' + filter.patterns.join(u' ') + u')';
        filter.suffix = suffixOf(filter.patterns.constFirst());
        filters.append(filter);
    }
    return filters;
}

QString FileDlg::withDefaultSuffix(const QString &path, const QString &suffix)
{
    if (suffix.isEmpty())
        return path;
    const QFileInfo info(path);
    if (info.isDir() || info.fileName().contains(u'.'))
        return path;
    return path + u'.' + suffix;
}

void FileDlg::setHandler(Handler h)
{
    handler() = std::move(h);
}

QString FileDlg::ShowOpen(QWidget *lngHWnd, const QString &strFilter, const QString &strDefDir)
{
    return showFileDialog(Kind::Open, lngHWnd, strFilter, strDefDir);
}

QString FileDlg::ShowSave(QWidget *lngHWnd, const QString &strFilter, const QString &strDefDir)
{
    return showFileDialog(Kind::Save, lngHWnd, strFilter, strDefDir);
}

QString FileDlg::showFileDialog(Kind kind, QWidget *parent, const QString &filter,
                                const QString &defDir)
{
    m_cancel = false;

    const QList<NameFilter> filters = parseFilterList(filter.isEmpty() ? m_filter : filter);
    Request request;
    request.kind = kind;
    // Without a caption of its own the dialog still says what it is for.
    if (!m_title.isEmpty())
        request.title = m_title;
    else
        request.title = kind == Kind::Save ? u"名前を付けて保存"_s : u"開く"_s;
    for (const NameFilter &f : filters) {
        request.nameFilters.append(f.qtFilter);
        request.descriptions.append(f.description);
    }
    if (!filters.isEmpty()) {
        request.selectedFilter = 0;
        if (kind == Kind::Save)
            request.defaultSuffix = filters.constFirst().suffix;
    }
    request.mustExist = kind == Kind::Open && m_flags == 0;

    // A file name with a folder part says where the dialog opens; a bare name
    // only fills the name box.
    const QString start = defDir.isEmpty() ? QDir::currentPath() : absoluteFolder(defDir);
    if (m_filename.contains(u'/')) {
        const QFileInfo info(QDir(start), m_filename);
        request.directory = QDir::cleanPath(info.absolutePath());
        request.fileName = info.fileName();
    } else {
        request.directory = start;
        request.fileName = m_filename;
    }

    const Answer answer = handler() ? handler()(request) : execDialog(parent, request, filters);
    const QString path = answer.accepted && !answer.path.isEmpty()
                             ? answeredPath(kind, request.directory, filters, answer)
                             : QString();

    if (path.isEmpty()) {
        m_cancel = true;
        return {};
    }
    m_filename = path;
    return path;
}

QString FileDlg::ShowDir(QWidget *lngHWnd, const QString &strDefDir, int Flag)
{
    Q_UNUSED(Flag);
    m_cancel = false;
    FileDlgMod::setBrowseDefDir(strDefDir);

    Request request;
    request.kind = Kind::Folder;
    request.title = u"フォルダを選択してください。"_s;
    const QString selected = FileDlgMod::BrowseDefDir();
    if (selected.isEmpty()) {
        request.directory = QDir::currentPath();
    } else {
        // The folder is selected in its parent, so that accepting at once
        // chooses it.
        const QString folder = absoluteFolder(selected);
        if (QDir(folder).isRoot()) {
            request.directory = folder;
        } else {
            const QFileInfo info(folder);
            request.directory = info.absolutePath();
            request.fileName = info.fileName();
        }
    }

    const Answer answer = handler() ? handler()(request) : execDialog(lngHWnd, request, {});
    if (!answer.accepted || answer.path.isEmpty()) {
        m_cancel = true;
        return {};
    }
    return FileDlgMod::AddBackslash(answeredPath(Kind::Folder, request.directory, {}, answer));
}
