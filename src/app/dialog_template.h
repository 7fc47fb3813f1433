#pragma once

#include <span>

// A dialog described as data: the window and every control, in template (and tab) order.
// DialogWindow builds the widgets from it; nothing else creates controls.

enum class ControlKind { PushButton, ProgressBar, Static, Edit, AutoCheckBox };

enum class TextAlign { Default, Left, Right, Center };

// The template's styles. Every control is a visible child. Only kTabStop changes how a
// control is built here; the others are kept so the table says all the template says
// (edits and progress bars get their frames from Qt, and edits always scroll).
enum ControlStyle : unsigned {
  kNoStyle = 0,
  kTabStop = 1u << 0,     // reached with Tab; the first one takes the focus at start
  kBorder = 1u << 1,      // drawn with a frame
  kGroup = 1u << 2,       // starts a group of controls
  kAutoHScroll = 1u << 3, // an edit scrolls its text instead of refusing input at the edge
  kModalFrame = 1u << 4,  // sunken frame around the control
};

struct ControlTemplate {
  int id;
  ControlKind kind;
  const char* text;  // UTF-8
  int x, y, w, h;    // dialog units
  TextAlign align;
  unsigned styles;   // ControlStyle bits
};

struct DialogTemplate {
  int id;
  const char* caption;  // UTF-8
  const char* fontFace;
  int fontPoints;
  int w, h;  // client area, dialog units
  std::span<const ControlTemplate> controls;
};

// The one dialog of the program.
const DialogTemplate& ferrowindDialogTemplate();
