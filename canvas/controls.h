#pragma once
// The drawn controls: every button, text, window, list, bar and message box
// is a canvas item that draws itself through the current control style and
// reacts to the mouse and keyboard events the view delivers.

#include "canvas/controls/button.h"
#include "canvas/controls/check_box.h"
#include "canvas/controls/client_area.h"
#include "canvas/controls/control_window.h"
#include "canvas/controls/edit.h"
#include "canvas/controls/group_box.h"
#include "canvas/controls/list_view.h"
#include "canvas/controls/message_box.h"
#include "canvas/controls/multi_choices.h"
#include "canvas/controls/progress_bar.h"
#include "canvas/controls/scroll_bar.h"
#include "canvas/controls/scroll_view.h"
#include "canvas/controls/slider.h"
#include "canvas/controls/static.h"
#include "canvas/styles.h"
