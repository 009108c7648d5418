#include "platform/Module.h"

#include "platform/MsgBox.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QProcess>

#include <xcb/xcb.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <optional>
#include <vector>

using namespace Qt::StringLiterals;

namespace Module {

qint32 HelpTaskId = 0;

namespace {

// Pages of the manual are addressed inside its namespace and virtual folder.
constexpr char16_t kTopicBase[] = u"qthelp://kaogumi.manual/doc";

Viewer &viewer()
{
    static Viewer current;
    return current;
}

bool processExists(qint64 pid)
{
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

// --- X11 ----------------------------------------------------------------

struct Disconnect
{
    void operator()(xcb_connection_t *connection) const { xcb_disconnect(connection); }
};
using Connection = std::unique_ptr<xcb_connection_t, Disconnect>;
struct FreeReply
{
    void operator()(void *reply) const { std::free(reply); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeReply>;

xcb_atom_t atom(xcb_connection_t *c, const char *name)
{
    Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(qstrlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// The 32-bit values of a window's property (empty when it has none).
std::vector<uint32_t> property(xcb_connection_t *c, xcb_window_t window, xcb_atom_t name,
                               xcb_atom_t type)
{
    Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, name, type, 0, 4096), nullptr));
    if (!reply || reply->format != 32)
        return {};
    const auto *values = static_cast<const uint32_t *>(xcb_get_property_value(reply.get()));
    return {values, values + xcb_get_property_value_length(reply.get()) / 4};
}

std::vector<xcb_window_t> children(xcb_connection_t *c, xcb_window_t window)
{
    Reply<xcb_query_tree_reply_t> reply(
        xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr));
    if (!reply)
        return {};
    const xcb_window_t *first = xcb_query_tree_children(reply.get());
    return {first, first + xcb_query_tree_children_length(reply.get())};
}

bool viewable(xcb_connection_t *c, xcb_window_t window)
{
    Reply<xcb_get_window_attributes_reply_t> reply(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
    return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
}

// The window manager's check window, when a window manager runs: the window
// that root's _NET_SUPPORTING_WM_CHECK names and that names itself.
bool windowManagerRuns(xcb_connection_t *c, xcb_window_t root)
{
    const xcb_atom_t check = atom(c, "_NET_SUPPORTING_WM_CHECK");
    const std::vector<uint32_t> named = property(c, root, check, XCB_ATOM_WINDOW);
    if (named.empty())
        return false;
    const std::vector<uint32_t> self = property(c, named.front(), check, XCB_ATOM_WINDOW);
    return !self.empty() && self.front() == named.front();
}

void sendToWindowManager(xcb_connection_t *c, xcb_window_t root, xcb_window_t window,
                         xcb_atom_t type, std::initializer_list<uint32_t> data)
{
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    int i = 0;
    for (uint32_t value : data)
        event.data.data32[i++] = value;
    xcb_send_event(c, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&event));
}

// The X server's time now: the time stamp of a property change on a window of
// our own. A window manager drops an activation that carries no time, or an
// older one than the focus change it would undo.
xcb_timestamp_t serverTime(xcb_connection_t *c, xcb_window_t root)
{
    const xcb_window_t window = xcb_generate_id(c);
    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, root, -1, -1, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
    xcb_change_property(c, XCB_PROP_MODE_APPEND, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0,
                        nullptr);
    xcb_flush(c);
    xcb_timestamp_t time = XCB_CURRENT_TIME;
    while (xcb_generic_event_t *event = xcb_wait_for_event(c)) {
        const bool notify = (event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY;
        if (notify)
            time = reinterpret_cast<xcb_property_notify_event_t *>(event)->time;
        std::free(event);
        if (notify)
            break;
    }
    xcb_destroy_window(c, window);
    return time;
}

// Activates the top-level window of pid on the X display the environment
// names; nothing when there is no display to ask.
std::optional<bool> activateOnX11(qint64 pid)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return std::nullopt;
    int screenNumber = 0;
    Connection connection(xcb_connect(nullptr, &screenNumber));
    xcb_connection_t *c = connection.get();
    if (xcb_connection_has_error(c))
        return std::nullopt;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    if (!screens.rem)
        return false;
    const xcb_window_t root = screens.data->root;
    const bool managed = windowManagerRuns(c, root);

    // The window manager lists the windows it manages, minimised ones too;
    // without one, the viewer's window is a child of the root window.
    std::vector<xcb_window_t> candidates;
    if (managed)
        for (uint32_t w : property(c, root, atom(c, "_NET_CLIENT_LIST"), XCB_ATOM_WINDOW))
            candidates.push_back(w);
    const bool listed = !candidates.empty();
    if (!listed) {
        for (xcb_window_t top : children(c, root)) {
            candidates.push_back(top);
            if (managed) // a frame of a window manager that keeps no list
                for (xcb_window_t inner : children(c, top))
                    candidates.push_back(inner);
        }
    }
    const xcb_atom_t wmPid = atom(c, "_NET_WM_PID");
    xcb_window_t found = XCB_WINDOW_NONE;
    for (xcb_window_t w : candidates) {
        const std::vector<uint32_t> owner = property(c, w, wmPid, XCB_ATOM_CARDINAL);
        if (!owner.empty() && owner.front() == uint32_t(pid) && (listed || viewable(c, w))) {
            found = w;
            break;
        }
    }
    if (found == XCB_WINDOW_NONE)
        return false;

    const xcb_timestamp_t now = serverTime(c, root);
    if (managed) {
        // A minimised viewer stays minimised: it asks for attention instead.
        const xcb_atom_t wmState = atom(c, "WM_STATE");
        const std::vector<uint32_t> state = property(c, found, wmState, wmState);
        const bool iconic = !state.empty() && state.front() == 3 /* IconicState */;
        if (iconic) {
            sendToWindowManager(c, root, found, atom(c, "_NET_WM_STATE"),
                                {1 /* add */, atom(c, "_NET_WM_STATE_DEMANDS_ATTENTION"), 0, 1});
        } else {
            // Source 2 (a pager, acting for the user), so that focus-stealing
            // prevention lets it through.
            sendToWindowManager(c, root, found, atom(c, "_NET_ACTIVE_WINDOW"),
                                {2, now, XCB_WINDOW_NONE});
        }
        xcb_flush(c);
        return true;
    }
    const uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_generic_error_t *raiseError = xcb_request_check(
        c, xcb_configure_window_checked(c, found, XCB_CONFIG_WINDOW_STACK_MODE, &above));
    xcb_generic_error_t *focusError =
        xcb_request_check(c, xcb_set_input_focus_checked(c, XCB_INPUT_FOCUS_PARENT, found, now));
    const bool done = !raiseError && !focusError;
    std::free(raiseError);
    std::free(focusError);
    return done;
}

} // namespace

bool activateProcessWindow(qint64 pid)
{
    if (!processExists(pid))
        return false;
    if (const std::optional<bool> activated = activateOnX11(pid))
        return *activated;
    // A Wayland desktop without X shows no other client's windows and lets no
    // client raise one: a viewer that still runs counts as shown, so that F1
    // never starts a second one.
    return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

QString viewerProgram()
{
    return QLibraryInfo::path(QLibraryInfo::BinariesPath) + u"/assistant"_s;
}

qint64 startViewer(const QString &program, const QStringList &arguments, QString *error)
{
    const QFileInfo file(program);
    if (!file.exists()) {
        *error = u"ヘルプを表示するプログラム（Qt Assistant）が見つかりません：%1。"
                 u"assistant-qt6 パッケージをインストールしてください。"_s.arg(program);
        return 0;
    }
    // The viewer given a collection that is not there prints its usage and
    // ends at once, without a window: F1 would seem to do nothing.
    const qsizetype collection = arguments.indexOf(u"-collectionFile"_s) + 1;
    if (collection > 0 && collection < arguments.size() &&
        !QFileInfo(arguments.at(collection)).isFile()) {
        *error = u"ヘルプファイル「%1」が見つかりません。"_s.arg(
            QDir::toNativeSeparators(QDir::cleanPath(arguments.at(collection))));
        return 0;
    }
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // The viewer speaks Japanese under any desktop language, and runs on the
    // X display when there is one (under Wayland too, through XWayland), where
    // its window can be found by its process id and brought to the front.
    environment.insert(u"LANGUAGE"_s, u"ja"_s);
    if (environment.value(u"DISPLAY"_s).isEmpty())
        environment.remove(u"QT_QPA_PLATFORM"_s);
    else
        environment.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
    process.setProcessEnvironment(environment);
    qint64 pid = 0;
    if (!process.startDetached(&pid) || pid <= 0) {
        *error = u"「%1」を起動できませんでした：%2"_s.arg(program, process.errorString());
        return 0;
    }
    return pid;
}

void setViewer(Viewer replacement)
{
    viewer() = std::move(replacement);
}

void showHelpIn(const QString &applicationFolder, const QString &topic)
{
    const Viewer &v = viewer();
    if (v.activate ? v.activate(HelpTaskId) : activateProcessWindow(HelpTaskId))
        return;

    // The folder and the collection's name, joined as they are: a folder at
    // the root gives "//kaogumi.qhc", which names the same file.
    QStringList arguments{u"-collectionFile"_s,
                          applicationFolder + u'/' + QString::fromUtf16(kHelpCollection)};
    if (!topic.isEmpty())
        arguments << u"-showUrl"_s
                  << QString::fromUtf16(kTopicBase) + (topic.startsWith(u'/') ? u""_s : u"/"_s) +
                         topic;
    QString reason;
    const qint64 pid = v.start ? v.start(viewerProgram(), arguments, &reason)
                               : startViewer(viewerProgram(), arguments, &reason);
    if (pid > 0) {
        HelpTaskId = qint32(pid);
        return;
    }
    MsgBox::show(nullptr, {u"ヘルプを表示できませんでした。\r"_s + reason,
                           MsgBox::Buttons::Ok,
                           MsgBox::Icon::Exclamation,
                           {},
                           MsgBox::Answer::Ok});
}

void ShowHelp(const QString &topic)
{
    showHelpIn(QCoreApplication::applicationDirPath(), topic);
}

} // namespace Module
