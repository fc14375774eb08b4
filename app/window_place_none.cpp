// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// In a browser the page sizes the canvas to its window: the place asked for
// is kept as it is.
#include "window_fit.h"

ScreenRect windowPlace() {
    return kWindowPlace;
}
