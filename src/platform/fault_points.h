// Failure points for tests. A build with FMV_FAULT_POINTS defined fails the
// Nth file operation (open, seek, read, write, close) when the environment
// sets FMVFRAMES_FAIL_FILE_OP=N, and the Nth console write when it sets
// FMVFRAMES_FAIL_CONSOLE_WRITE=N, counting from 1, so that a test can try
// every single failure point in turn. Other builds never fail here.
#pragma once

enum FaultKind { FAULT_FILE_OP, FAULT_CONSOLE_WRITE };

#ifdef FMV_FAULT_POINTS
// Counts an operation of the kind; true when this one is to fail.
bool fault_point_fails(FaultKind kind);
#else
inline bool fault_point_fails(FaultKind) { return false; }
#endif
