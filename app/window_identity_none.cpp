// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// Nothing to do at run time: a browser page has its own icon and title.
#include "window_identity.h"

void setWindowIdentity() {}
