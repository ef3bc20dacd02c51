#include "sim/ui/terminal_ui.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "platform/platform.h"
#include "sim/ui/scripted_ui.h"
#include "sim/ui/terminal_draw.h"
#include "sim/ui/terminal_layout.h"

// curses last: its macros (OK, ERR, timeout, ...) stay out of our headers.
#include <curses.h>

namespace tunora::sim {
namespace {

constexpr std::string_view kKeyHelp = " Tab:next  Enter:OK  Space:toggle  Esc:cancel  F10:menu ";
constexpr std::string_view kWaitText = " Please wait...";
constexpr int kEscapeFollowMs = 200;  // Esc then space within this opens the system menu
constexpr int kEscapeDelayMs = 50;

// Keeps a window on the layer stack for the life of its modal loop.
class LayerGuard {
 public:
  LayerGuard(std::vector<TerminalUi::Layer*>& layers, TerminalUi::Layer& layer) : layers_(layers) {
    layers_.push_back(&layer);
  }
  ~LayerGuard() { layers_.pop_back(); }
  LayerGuard(const LayerGuard&) = delete;
  LayerGuard& operator=(const LayerGuard&) = delete;

 private:
  std::vector<TerminalUi::Layer*>& layers_;
};

int Wrap(int index, int count) { return ((index % count) + count) % count; }

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

}  // namespace

// The curses screen: set up on construction, the terminal restored on
// destruction, whatever ends the program.
class TerminalUi::Session {
 public:
  Session() {
    const char* term = std::getenv("TERM");
    if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO) || !term || !*term) {
      throw TerminalUnavailable();
    }
    screen_ = newterm(nullptr, stdout, stdin);
    if (!screen_) throw TerminalUnavailable();
    set_term(screen_);
    cbreak();
    noecho();
    nonl();
    keypad(stdscr, TRUE);
    set_escdelay(kEscapeDelayMs);
    curs_set(0);
  }
  ~Session() {
    endwin();
    delscreen(screen_);
  }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

 private:
  SCREEN* screen_ = nullptr;
};

TerminalUi::TerminalUi() : session_(std::make_unique<Session>()) {}

TerminalUi::~TerminalUi() {
  session_.reset();
  for (const std::string& line : events_) std::cout << line << '\n';
  std::cout.flush();
}

void TerminalUi::Redraw(const std::vector<std::string>* menu, int menu_selection) {
  erase();
  const int rows = std::max(1, LINES - 1);  // the last line is the status line
  CellRect top{};
  for (const Layer* layer : layers_) {
    if (layer->window) {
      top = DialogFrame(layer->window->width(), layer->window->height(), COLS, rows);
      DrawDialog(*layer->window, top);
    } else {
      const MessageBoxLayout box =
          LayoutMessageBox(layer->text, layer->caption, layer->type, COLS, rows);
      DrawMessageBox(box, layer->caption, layer->focused_button);
      top = box.frame;
    }
  }
  if (menu) DrawMenu(*menu, menu_selection, top);
  DrawStatusLine(wait_depth_ > 0 ? kWaitText : " " + status_, kKeyHelp);
  refresh();
}

KeyPress TerminalUi::ReadKey() {
  while (true) {
    const int ch = getch();
    switch (ch) {
      case ERR:
        EndProcess(1);  // the terminal went away
      case '\t':
        return {KeyCode::kTab};
      case KEY_BTAB:
        return {KeyCode::kBackTab};
      case KEY_UP:
        return {KeyCode::kUp};
      case KEY_DOWN:
        return {KeyCode::kDown};
      case KEY_LEFT:
        return {KeyCode::kLeft};
      case KEY_RIGHT:
        return {KeyCode::kRight};
      case KEY_HOME:
        return {KeyCode::kHome};
      case KEY_END:
        return {KeyCode::kEnd};
      case KEY_PPAGE:
        return {KeyCode::kPageUp};
      case KEY_NPAGE:
        return {KeyCode::kPageDown};
      case '\n':
      case '\r':
      case KEY_ENTER:
        return {KeyCode::kEnter};
      case KEY_BACKSPACE:
      case 8:
      case 127:
        return {KeyCode::kBackspace};
      case KEY_F(10):
        return {KeyCode::kMenu};
      case KEY_RESIZE:
        return {KeyCode::kResize};
      case 27: {
        // Alt+Space arrives as Esc then space; a lone Esc is Escape.
        timeout(kEscapeFollowMs);
        const int next = getch();
        timeout(-1);
        if (next == ERR) return {KeyCode::kEscape};
        if (next == ' ') return {KeyCode::kMenu};
        continue;
      }
      default:
        if (ch >= 32 && ch < 127) return {KeyCode::kChar, static_cast<char>(ch)};
        continue;
    }
  }
}

int TerminalUi::DialogBox(const DialogTemplate& dialog, DialogHandler& handler) {
  WindowModel window(dialog);
  Layer layer;
  layer.window = &window;
  const LayerGuard guard(layers_, layer);
  handler.OnInit(window);
  window.FocusFirstIfNone();
  while (!window.ended()) {
    Redraw();
    if (HandleDialogKey(window, handler, ReadKey()) == KeyOutcome::kOpenSystemMenu) {
      RunSystemMenu(window, handler);
    }
  }
  return window.result();
}

void TerminalUi::RunSystemMenu(WindowModel& window, DialogHandler& handler) {
  // Close stands for the close box; the window's own entries follow their
  // separator.
  std::vector<std::string> entries = {"Close"};
  std::vector<std::uint32_t> commands = {0};
  for (const SystemMenuEntry& entry : window.system_menu()) {
    entries.insert(entries.end(), {"", StripMnemonic(entry.text)});
    commands.insert(commands.end(), {0, entry.command});
  }
  const int count = static_cast<int>(entries.size());
  int selected = 0;
  int chosen = -1;
  while (chosen < 0) {
    Redraw(&entries, selected);
    const KeyPress key = ReadKey();
    const int step = key.code == KeyCode::kUp ? -1 : key.code == KeyCode::kDown ? 1 : 0;
    if (step != 0) {
      do selected = Wrap(selected + step, count);
      while (entries[static_cast<std::size_t>(selected)].empty());
    } else if (key.code == KeyCode::kEnter) {
      chosen = selected;
    } else if (key.code == KeyCode::kEscape || key.code == KeyCode::kMenu) {
      return;
    } else if (key.code == KeyCode::kChar) {
      for (int i = 0; i < count; ++i) {
        const std::string& entry = entries[static_cast<std::size_t>(i)];
        if (!entry.empty() && Lower(entry[0]) == Lower(key.character)) chosen = i;
      }
    }
  }
  if (chosen == 0) {
    handler.OnCancel(window);
  } else {
    handler.OnSysCommand(window, commands[static_cast<std::size_t>(chosen)]);
  }
}

int TerminalUi::MessageBox(std::string_view text, std::string_view caption, std::uint32_t type) {
  Layer layer;
  layer.text = text;
  layer.caption = caption;
  layer.type = type;
  const LayerGuard guard(layers_, layer);
  return RunMessageBox(layer);
}

int TerminalUi::RunMessageBox(Layer& layer) {
  const std::vector<int> buttons = MessageBoxButtons(layer.type);
  const int count = static_cast<int>(buttons.size());
  const auto default_at = std::find(buttons.begin(), buttons.end(), MessageBoxDefault(layer.type));
  layer.focused_button = static_cast<int>(default_at - buttons.begin());
  while (true) {
    Redraw();
    const KeyPress key = ReadKey();
    switch (key.code) {
      case KeyCode::kLeft:
      case KeyCode::kUp:
      case KeyCode::kBackTab:
        layer.focused_button = Wrap(layer.focused_button - 1, count);
        break;
      case KeyCode::kRight:
      case KeyCode::kDown:
      case KeyCode::kTab:
        layer.focused_button = Wrap(layer.focused_button + 1, count);
        break;
      case KeyCode::kEnter:
        return buttons[static_cast<std::size_t>(layer.focused_button)];
      case KeyCode::kEscape:
        if (const int result = MessageBoxEscape(layer.type); result != 0) return result;
        break;
      case KeyCode::kChar:
        if (key.character == ' ') return buttons[static_cast<std::size_t>(layer.focused_button)];
        for (const int id : buttons) {
          if (Lower(MessageBoxButtonText(id)[0]) == Lower(key.character)) return id;
        }
        break;
      default:
        break;
    }
  }
}

void TerminalUi::BeginWaitCursor() {
  if (wait_depth_++ == 0) Redraw();
}

void TerminalUi::EndWaitCursor() {
  if (wait_depth_ > 0 && --wait_depth_ == 0) Redraw();
}

void TerminalUi::Event(std::string_view line) {
  status_ = std::string(line);
  events_.push_back(status_);
  Redraw();
}

int TerminalUi::PropertySheet(const SheetTemplate& sheet, SheetHandler& handler) {
  (void)sheet, (void)handler;
  throw std::logic_error("the terminal UI cannot show property sheets yet");
}

}  // namespace tunora::sim
