// The framework in one include: application object, dialogs, data exchange, message boxes,
// the file dialog and the wait cursor.
#pragma once

#include "framework/data_exchange.h"
#include "framework/dialog.h"
#include "framework/file_dialog.h"
#include "framework/prompts.h"
#include "framework/wait_cursor.h"
#include "framework/win_app.h"
