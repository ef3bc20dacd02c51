#include "sim/ui/terminal_ui.h"

#include <langinfo.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "automation/message_box_rules.h"
#include "platform/platform.h"
#include "sim/ui/scripted_ui.h"
#include "sim/ui/scripted_window.h"
#include "sim/ui/terminal_draw.h"
#include "sim/ui/terminal_layout.h"

// curses last: its macros (OK, ERR, timeout, ...) stay out of our headers.
#include <curses.h>

namespace tunora::sim {
namespace {

constexpr std::string_view kKeyHelp = " Tab:next  Enter:OK  Space:toggle  Esc:cancel  F10:menu ";
constexpr std::string_view kSheetKeyHelp =
    " Tab:next  Ctrl+PgUp/PgDn, Alt+letter:tabs  Esc:cancel ";
// Ctrl+PgUp and Ctrl+PgDn as xterm and tmux send them.
constexpr const char* kCtrlPageUpSequence = "\x1b[5;5~";
constexpr const char* kCtrlPageDownSequence = "\x1b[6;5~";
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
    // The user's character set decides between box-drawing characters and
    // ASCII; numbers stay in the "C" form the program writes them in.
    if (const char* old = std::setlocale(LC_ALL, nullptr)) old_locale_ = old;
    std::setlocale(LC_ALL, "");
    std::setlocale(LC_NUMERIC, "C");
    unicode_ = std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
    screen_ = newterm(nullptr, stdout, stdin);
    if (!screen_) {
      std::setlocale(LC_ALL, old_locale_.c_str());
      throw TerminalUnavailable();
    }
    set_term(screen_);
    cbreak();
    noecho();
    nonl();
    keypad(stdscr, TRUE);
    set_escdelay(kEscapeDelayMs);
    curs_set(0);
    mousemask(BUTTON1_PRESSED | BUTTON1_CLICKED, nullptr);
    mouseinterval(0);  // a press acts at once
    ctrl_page_up_ = BindKey(kCtrlPageUpSequence, KEY_MAX + 1);
    ctrl_page_down_ = BindKey(kCtrlPageDownSequence, KEY_MAX + 2);
  }
  ~Session() {
    endwin();
    delscreen(screen_);
    std::setlocale(LC_ALL, old_locale_.c_str());
  }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  bool unicode() const { return unicode_; }
  int ctrl_page_up() const { return ctrl_page_up_; }
  int ctrl_page_down() const { return ctrl_page_down_; }

 private:
  // The key code the terminal description gives `sequence`, else `spare`
  // bound to it.
  static int BindKey(const char* sequence, int spare) {
    const int known = key_defined(sequence);
    if (known > 0) return known;
    define_key(sequence, spare);
    return spare;
  }

  SCREEN* screen_ = nullptr;
  std::string old_locale_ = "C";
  bool unicode_ = false;
  int ctrl_page_up_ = 0, ctrl_page_down_ = 0;
};

TerminalUi::TerminalUi() : session_(std::make_unique<Session>()) {}

TerminalUi::~TerminalUi() {
  session_.reset();
  for (const std::string& line : events_) std::cout << line << '\n';
  std::cout.flush();
}

CellRect TerminalUi::FrameOf(const Layer& layer) const {
  const int rows = std::max(1, LINES - 1);  // the last line is the status line
  if (layer.window) return DialogFrame(layer.window->width(), layer.window->height(), COLS, rows);
  if (layer.sheet) return LayoutSheet(*layer.sheet, COLS, rows).frame;
  return LayoutMessageBox(layer.text, layer.caption, layer.type, COLS, rows).frame;
}

bool TerminalUi::WindowsFit() const {
  return std::all_of(layers_.begin(), layers_.end(), [this](const Layer* layer) {
    return FitsScreen(FrameOf(*layer), COLS, LINES);
  });
}

void TerminalUi::Redraw(const std::vector<std::string>* menu, int menu_selection) {
  erase();
  const bool unicode = session_->unicode();
  const bool busy = wait_depth_ > 0;
  const bool sheet_on_top = !layers_.empty() && layers_.back()->sheet;
  const std::string status =
      " " + (busy ? WaitLineText(wait_seconds_, expected_wait_ms_) : status_);
  const std::string_view keys = sheet_on_top ? kSheetKeyHelp : kKeyHelp;
  if (!WindowsFit()) {
    int columns = 0, lines = 0;
    for (const Layer* layer : layers_) {
      const CellRect frame = FrameOf(*layer);
      columns = std::max(columns, frame.width);
      lines = std::max(lines, frame.height + 1);
    }
    DrawTooSmall(columns, lines);
    DrawStatusLine(status, "", busy);
    refresh();
    return;
  }
  const int rows = std::max(1, LINES - 1);
  CellRect top{};
  for (std::size_t i = 0; i < layers_.size(); ++i) {
    const Layer& layer = *layers_[i];
    const bool focused = i + 1 == layers_.size() && !menu;
    top = FrameOf(layer);
    if (layer.window) {
      DrawDialog(*layer.window, top, focused, unicode);
    } else if (layer.sheet) {
      DrawSheet(*layer.sheet, LayoutSheet(*layer.sheet, COLS, rows), *layer.sheet_focus, focused,
                unicode);
    } else {
      DrawMessageBox(LayoutMessageBox(layer.text, layer.caption, layer.type, COLS, rows),
                     layer.caption, layer.focused_button, unicode);
    }
  }
  if (menu) DrawMenu(*menu, menu_selection, top, unicode);
  DrawStatusLine(status, keys, busy);
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
      case KEY_MOUSE: {
        MEVENT event{};
        if (getmouse(&event) == OK && (event.bstate & (BUTTON1_PRESSED | BUTTON1_CLICKED))) {
          return {KeyCode::kMouse, 0, event.x, event.y};
        }
        continue;
      }
      case 27: {
        // Alt+key arrives as Esc then the key; a lone Esc is Escape.
        timeout(kEscapeFollowMs);
        int next = getch();
        if (next == '[' || next == 'O') {
          // The rest of a sequence curses does not know: dropped, so that
          // it is not typed into an edit.
          while (next != ERR && !(next >= 0x40 && next <= 0x7E && next != '[' && next != 'O')) {
            next = getch();
          }
          timeout(-1);
          continue;
        }
        timeout(-1);
        if (next == ERR) return {KeyCode::kEscape};
        if (next == ' ') return {KeyCode::kMenu};
        if (next > 32 && next < 127) return {KeyCode::kAlt, static_cast<char>(next)};
        continue;
      }
      default:
        if (ch == session_->ctrl_page_up()) return {KeyCode::kCtrlPageUp};
        if (ch == session_->ctrl_page_down()) return {KeyCode::kCtrlPageDown};
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
    const KeyPress key = ReadKey();
    KeyOutcome outcome = KeyOutcome::kIgnored;
    if (key.code != KeyCode::kMouse) {
      outcome = HandleDialogKey(window, handler, key);
    } else if (WindowsFit()) {
      const CellRect frame = FrameOf(layer);
      const CellRect client{frame.x + 1, frame.y + 1, frame.width - 2, frame.height - 2};
      outcome = ClickControl(window, handler, HitTestDialog(window, client, key.column, key.row));
    }
    if (outcome == KeyOutcome::kOpenSystemMenu) RunSystemMenu(window, handler);
  }
  return window.result();
}

int TerminalUi::PropertySheet(const SheetTemplate& sheet, SheetHandler& handler) {
  SheetModel model(sheet, handler);
  SheetFocus focus;
  Layer layer;
  layer.sheet = &model;
  layer.sheet_focus = &focus;
  const LayerGuard guard(layers_, layer);
  model.Open();
  while (!model.ended()) {
    SettleSheetFocus(model, focus);
    Redraw();
    const KeyPress key = ReadKey();
    KeyOutcome outcome = KeyOutcome::kIgnored;
    if (key.code != KeyCode::kMouse) {
      outcome = HandleSheetKey(model, focus, key);
    } else if (WindowsFit()) {
      const SheetLayout layout = LayoutSheet(model, COLS, std::max(1, LINES - 1));
      outcome = ClickSheet(model, focus, HitTestSheet(model, layout, key.column, key.row));
    }
    if (outcome == KeyOutcome::kOpenSystemMenu) {
      SheetFrameHandler frame_handler(model);
      RunSystemMenu(model.frame(), frame_handler);
    }
  }
  return model.result();
}

void TerminalUi::RunSystemMenu(WindowModel& window, DialogHandler& handler) {
  // Close stands for the close box, which a dialog that ends through its
  // buttons only lacks (its cancel may program the card); the window's own
  // entries follow a separator.
  std::vector<std::string> entries;
  std::vector<std::uint32_t> commands;
  const bool has_close = window.has_close_box();
  if (has_close) {
    entries.emplace_back("Close");
    commands.push_back(0);
  }
  for (const SystemMenuEntry& entry : window.system_menu()) {
    if (!entries.empty()) {  // a separator
      entries.emplace_back();
      commands.push_back(0);
    }
    entries.push_back(StripMnemonic(entry.text));
    commands.push_back(entry.command);
  }
  if (entries.empty()) return;
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
  if (chosen == 0 && has_close) {
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
      case KeyCode::kMouse: {
        if (!WindowsFit()) break;
        const MessageBoxLayout box =
            LayoutMessageBox(layer.text, layer.caption, layer.type, COLS, std::max(1, LINES - 1));
        for (std::size_t i = 0; i < box.buttons.size(); ++i) {
          const int left = box.button_x[i];
          const int width = static_cast<int>(box.labels[i].size());
          if (key.row == box.button_y && key.column >= left && key.column < left + width) {
            return box.buttons[i];
          }
        }
        break;
      }
      case KeyCode::kEscape:
        if (const int result = MessageBoxEscape(layer.type); result != 0) return result;
        break;
      case KeyCode::kChar:
      case KeyCode::kAlt:
        if (key.code == KeyCode::kChar && key.character == ' ') {
          return buttons[static_cast<std::size_t>(layer.focused_button)];
        }
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
  if (wait_depth_++ > 0) return;
  wait_start_ = std::chrono::steady_clock::now();
  wait_seconds_ = 0;
  expected_wait_ms_ = 0;
  Redraw();
}

void TerminalUi::ExpectWait(std::uint32_t milliseconds) {
  if (wait_depth_ == 0) return;
  expected_wait_ms_ = milliseconds;
  Redraw();
}

void TerminalUi::Waiting() {
  if (wait_depth_ == 0) return;
  const auto waited = std::chrono::steady_clock::now() - wait_start_;
  const long long seconds = std::chrono::duration_cast<std::chrono::seconds>(waited).count();
  if (seconds == wait_seconds_) return;  // a redraw a second at most
  wait_seconds_ = seconds;
  Redraw();
}

void TerminalUi::EndWaitCursor() {
  if (wait_depth_ > 0 && --wait_depth_ == 0) Redraw();
}

std::string WithHostPath(std::string_view event, const std::filesystem::path& drive_c) {
  constexpr std::string_view kShellOpen = "shell open \"";
  std::string line(event);
  if (drive_c.empty() || !event.starts_with(kShellOpen)) return line;
  std::string_view path = event.substr(kShellOpen.size());
  path = path.substr(0, path.find('"'));
  if (path.size() < 3 || (path[0] != 'C' && path[0] != 'c') || path.substr(1, 2) != ":\\") {
    return line;
  }
  std::filesystem::path host = drive_c;
  std::string_view rest = path.substr(3);
  while (!rest.empty()) {
    const std::size_t cut = rest.find('\\');
    host /= std::string(rest.substr(0, cut));
    rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
  }
  return line + " -> " + host.string();
}

void TerminalUi::Event(std::string_view line) {
  status_ = WithHostPath(line, drive_c_);
  events_.push_back(status_);
  Redraw();
}

}  // namespace tunora::sim
