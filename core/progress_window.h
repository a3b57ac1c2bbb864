#pragma once
// The small modal window that runs one job behind a progress bar over the asking window.

#include "core/operation_request.h"

// Opens the progress window over request.owner, runs the job once the window shows, and returns
// the job's code; -1 when the window cannot be created.
ResultCode RunOperation(const OperationRequest& request);
