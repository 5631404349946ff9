#include "platform/sdl/Platform_MessageBoxM.h"

#include <SDL.h>
#include <xcb/xcb.h>

#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <memory>

#include "platform/posix/Platform_Termination.h"
#include "platform/sdl/Platform_WindowFrameM.h"
#include "run/sdl/Run_WindowM.h"

namespace {

template <class Reply>
using XcbReply = std::unique_ptr<Reply, decltype(&std::free)>;

// SDL shows its box from a process of its own. Where no window manager runs nobody gives the box the
// keyboard (Enter would not answer it), and SDL counts the owner's position twice when it places the
// box. A watcher on a connection of its own finds the box once it is shown (the window that names
// the game's as its owner), centres it on the game and gives it the keyboard. An xcb connection
// reports its errors with each reply, so the game's own Xlib connection and handlers are untouched.
class UnmanagedBoxWatcher {
  public:
    explicit UnmanagedBoxWatcher(SDL_Window* owner)
    {
        unsigned long id = 0;
        if (!PlatformSdl_UnmanagedX11(owner, &m_Display, &id)) return;
        m_Owner = static_cast<xcb_window_t>(id);
        // A thread that cannot be had (memory short at a fatal end) leaves the box as SDL shows it.
        m_Started = pthread_create(&m_Thread, nullptr, &UnmanagedBoxWatcher::Watch, this) == 0;
        // SDL forks the box next: the thread is settled first, so that its own start is not caught
        // half done in the box's process.
        while (m_Started && !m_Waiting.load()) usleep(1000);
    }
    ~UnmanagedBoxWatcher()
    {
        m_Stop = true;
        if (m_Started) pthread_join(m_Thread, nullptr);
    }
    UnmanagedBoxWatcher(const UnmanagedBoxWatcher&) = delete;
    UnmanagedBoxWatcher& operator=(const UnmanagedBoxWatcher&) = delete;

  private:
    static void* Watch(void* self)
    {
        auto* watcher = static_cast<UnmanagedBoxWatcher*>(self);
        watcher->m_Waiting.store(true);
        // Nothing that allocates or locks runs before the box's process is forked: a fork taken while
        // this thread held the allocator's lock would leave the box's process waiting on it for ever.
        while (!watcher->m_Stop && Platform_BoxProcessId() == 0) usleep(10000);
        if (watcher->m_Stop) return nullptr;
        xcb_connection_t* connection = xcb_connect(watcher->m_Display, nullptr);
        while (xcb_connection_has_error(connection) == 0 && !watcher->m_Stop && !Placed(connection, watcher->m_Owner))
            usleep(10000);
        xcb_disconnect(connection);
        return nullptr;
    }

    static bool ShownBoxOf(xcb_connection_t* c, xcb_window_t window, xcb_window_t owner)
    {
        XcbReply<xcb_get_property_reply_t> transient(
            xcb_get_property_reply(
                c, xcb_get_property(c, 0, window, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, 0, 1), nullptr),
            std::free);
        if (!transient || xcb_get_property_value_length(transient.get()) != sizeof(xcb_window_t) ||
            *static_cast<xcb_window_t*>(xcb_get_property_value(transient.get())) != owner)
            return false;
        XcbReply<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr), std::free);
        return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    }

    // True once the box was found and placed (or the game's window is gone).
    static bool Placed(xcb_connection_t* c, xcb_window_t owner)
    {
        XcbReply<xcb_get_geometry_reply_t> game(xcb_get_geometry_reply(c, xcb_get_geometry(c, owner), nullptr),
                                                std::free);
        if (!game) return true;
        XcbReply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, game->root), nullptr),
                                              std::free);
        if (!tree) return false;
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        for (int i = xcb_query_tree_children_length(tree.get()) - 1; i >= 0; --i) {
            if (!ShownBoxOf(c, children[i], owner)) continue;
            CentreOnGame(c, owner, *game, children[i]);
            return true;
        }
        return false;
    }

    static void CentreOnGame(xcb_connection_t* c, xcb_window_t owner, const xcb_get_geometry_reply_t& game,
                             xcb_window_t box)
    {
        XcbReply<xcb_translate_coordinates_reply_t> origin(
            xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, owner, game.root, 0, 0), nullptr),
            std::free);
        XcbReply<xcb_get_geometry_reply_t> size(xcb_get_geometry_reply(c, xcb_get_geometry(c, box), nullptr),
                                                std::free);
        if (origin && size) {
            int32_t boxWidth = size->width + 2 * size->border_width, boxHeight = size->height + 2 * size->border_width;
            const uint32_t where[] = {uint32_t(origin->dst_x + (game.width - boxWidth) / 2),
                                      uint32_t(origin->dst_y + (game.height - boxHeight) / 2), XCB_STACK_MODE_ABOVE};
            xcb_configure_window(c, box, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_STACK_MODE,
                                 where);
        }
        xcb_set_input_focus(c, XCB_INPUT_FOCUS_POINTER_ROOT, box, XCB_CURRENT_TIME);
        // A round trip: the server has done both before the connection closes.
        std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    }

    const char* m_Display = nullptr; // the game's connection's, open while the box is
    xcb_window_t m_Owner = 0;
    pthread_t m_Thread{};
    bool m_Started = false;
    std::atomic<bool> m_Stop{false};
    std::atomic<bool> m_Waiting{false};
};

Uint32 IconFlag(MessageBoxIcon icon)
{
    switch (icon) {
    case MESSAGEBOX_ICON_ERROR:
        return SDL_MESSAGEBOX_ERROR;
    case MESSAGEBOX_ICON_WARNING:
        return SDL_MESSAGEBOX_WARNING;
    default:
        return SDL_MESSAGEBOX_INFORMATION;
    }
}

// The box as a dialog of the game's window; the game's window takes the keyboard back after it.
bool ShowOwnedBox(const SDL_MessageBoxData& data, int* pressed)
{
    bool shown = false;
    {
        UnmanagedBoxWatcher watcher(data.window);
        shown = SDL_ShowMessageBox(&data, pressed) == 0;
    }
    MainWindow_TakeBackInput();
    return shown;
}

constexpr int BUTTON_NO = 0;
constexpr int BUTTON_YES = 1;

} // namespace

int PlatformSdl_ShowBox(SDL_MessageBoxData& data, int* pressed)
{
    // SDL shows the box from a process of its own, which a termination signal must end with the game.
    Platform_BoxProcesses box;
    data.window = MainWindow_Handle();
    if (data.window != nullptr && ShowOwnedBox(data, pressed)) return 0;
    // A box that a termination signal ended is not shown again.
    if (data.window != nullptr && Platform_TerminationRequested()) return -1;
    data.window = nullptr;
    return SDL_ShowMessageBox(&data, pressed);
}

bool PlatformSdl_ShowMessageBox(const char* text, const char* caption, MessageBoxIcon icon)
{
    // SDL takes UTF-8 itself and may be called before SDL_Init.
    const SDL_MessageBoxButtonData ok = {
        SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "OK"};
    SDL_MessageBoxData data{};
    data.flags = IconFlag(icon);
    data.title = caption;
    data.message = text;
    data.numbuttons = 1;
    data.buttons = &ok;
    int pressed = -1;
    return PlatformSdl_ShowBox(data, &pressed) == 0;
}

bool PlatformSdl_AskYesNo(const char* text, const char* caption, bool* yes)
{
    const SDL_MessageBoxButtonData buttons[] = {
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, BUTTON_NO, "No"},
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, BUTTON_YES, "Yes"},
    };
    SDL_MessageBoxData data{};
    data.flags = SDL_MESSAGEBOX_INFORMATION;
    data.title = caption;
    data.message = text;
    data.numbuttons = 2;
    data.buttons = buttons;
    int pressed = -1;
    if (PlatformSdl_ShowBox(data, &pressed) != 0) return false;
    *yes = pressed == BUTTON_YES;
    return true;
}
