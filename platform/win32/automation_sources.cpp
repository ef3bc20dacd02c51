// The script grammar, the window model the dumps are written from and the
// message-box button rules, shared with the simulated UIs. They are free of
// the terminal and of the simulated machine; compiling them here keeps the
// Windows build free of the simulator's libraries.
#include "sim/ui/message_box_rules.cpp"
#include "sim/ui/sheet_model.cpp"
#include "sim/ui/ui_script.cpp"
#include "sim/ui/window_model.cpp"
