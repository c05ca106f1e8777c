// Failure points for tests. A build with FMV_FAULT_POINTS defined fails the
// Nth file operation (open, seek, read, write, close) when the environment
// sets FMVFRAMES_FAIL_FILE_OP=N, and the Nth console write when it sets
// FMVFRAMES_FAIL_CONSOLE_WRITE=N, counting from 1, so that a test can try
// every single failure point in turn. With FMVFRAMES_SHORT_TRANSFERS=N, each
// read or write call moves at most N bytes, as a system may. Other builds
// never fail here and move what the system takes.
#pragma once

enum FaultKind { FAULT_FILE_OP, FAULT_CONSOLE_WRITE };

#ifdef FMV_FAULT_POINTS
// Counts an operation of the kind; true when this one is to fail.
bool fault_point_fails(FaultKind kind);
// The most bytes one read or write call may move; 0 for no limit.
unsigned fault_transfer_size();
#else
inline bool fault_point_fails(FaultKind) { return false; }
inline unsigned fault_transfer_size() { return 0; }
#endif
