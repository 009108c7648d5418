#include "platform/FileDlg.h"

#include "platform/FileDlgMod.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

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

FileDlg::Answer execDialog(QWidget *parent, const FileDlg::Request &request,
                           const QList<FileDlg::NameFilter> &filters)
{
    QFileDialog dialog(parent, request.title, request.directory);
    // Qt's own dialog behaves the same on every desktop: it adds the
    // extension, asks before replacing a file and refuses missing files.
    // Only the descriptions show in the file type box, as the filter lists
    // are written for.
    QFileDialog::Options options = QFileDialog::DontUseNativeDialog;
    if (request.kind == FileDlg::Kind::Folder)
        options |= QFileDialog::ShowDirsOnly;
    else
        options |= QFileDialog::HideNameFilterDetails;
    dialog.setOptions(options);

    switch (request.kind) {
    case FileDlg::Kind::Open:
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(request.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
        break;
    case FileDlg::Kind::Save:
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        break;
    case FileDlg::Kind::Folder:
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::Directory);
        break;
    }

    // The file type box, found by the name Qt gives it: it shows the filter
    // descriptions and tells which one the user picked.
    auto *types = dialog.findChild<QComboBox *>(u"fileTypeCombo"_s);
    if (!request.nameFilters.isEmpty()) {
        // Setting the list selects and applies its first entry, the one the
        // dialog opens with.
        dialog.setNameFilters(request.nameFilters);
        // Qt shows the descriptions with their blanks trimmed away; they are
        // shown as written instead. The entries keep their order, so the
        // position in the box is the position in the list.
        for (int i = 0; types && i < types->count() && i < request.descriptions.size(); ++i)
            types->setItemText(i, request.descriptions.at(i));
    }

    // Qt names the selected filter by the text shown, which two entries may
    // share; the position tells them apart.
    const auto selectedIndex = [&dialog, &request, types] {
        if (types && types->count() == request.nameFilters.size())
            return types->currentIndex();
        return int(request.nameFilters.indexOf(dialog.selectedNameFilter()));
    };
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (request.kind == FileDlg::Kind::Save) {
        // The extension follows the file type the user picks.
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&dialog, &filters, selectedIndex] {
                             const int i = selectedIndex();
                             dialog.setDefaultSuffix(i >= 0 ? filters.at(i).suffix : QString());
                         });
    }

    if (!request.fileName.isEmpty())
        dialog.selectFile(QDir(request.directory).filePath(request.fileName));

    FileDlg::Answer answer;
    answer.accepted = dialog.exec() == QDialog::Accepted;
    if (answer.accepted) {
        answer.path = dialog.selectedFiles().value(0);
        answer.selectedFilter = selectedIndex();
    }
    return answer;
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

    QString path;
    if (handler()) {
        const Answer answer = handler()(request);
        if (answer.accepted && !answer.path.isEmpty()) {
            path = QDir(request.directory).absoluteFilePath(answer.path);
            if (kind == Kind::Save && answer.selectedFilter >= 0 &&
                answer.selectedFilter < filters.size())
                path = withDefaultSuffix(path, filters.at(answer.selectedFilter).suffix);
        }
    } else {
        const Answer answer = execDialog(parent, request, filters);
        if (answer.accepted)
            path = answer.path;
    }

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
    return FileDlgMod::AddBackslash(
        QDir::cleanPath(QDir(request.directory).absoluteFilePath(answer.path)));
}
