// Shows the wait cursor for the lifetime of the object.
#pragma once

#include "framework/ui_backend.h"

class CWaitCursor {
public:
    CWaitCursor() { framework::Ui().BeginWaitCursor(); }
    ~CWaitCursor() { framework::Ui().EndWaitCursor(); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};
