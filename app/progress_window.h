#pragma once
// The small modal window that runs one job behind a progress bar over the asking window.

#include <functional>

#include "operations/dispatch.h"

// Opens the progress window over request.owner, runs the job once the window shows, and returns
// the job's code; -1 when the window cannot be created.
ResultCode RunOperation(const OperationRequest& request);

// The job the window runs; the program's is DispatchOperation.
using OperationJob = std::function<ResultCode(const OperationRequest&, ProgressBar*)>;
ResultCode RunOperationWith(const OperationRequest& request, const OperationJob& job);
