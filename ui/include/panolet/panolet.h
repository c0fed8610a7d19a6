#pragma once
// Everything of the UI library at once.

#include "panolet/baseuiobject.h"
#include "panolet/button.h"
#include "panolet/checkbox.h"
#include "panolet/fpscounter.h"
#include "panolet/keyboardmenu.h"
#include "panolet/numeric.h"
#include "panolet/sceneswitcher.h"
#include "panolet/textedit.h"
#include "panolet/ui.h"
#include "panolet/volume.h"
#include "panolet/window.h"
