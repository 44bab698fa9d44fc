#pragma once

namespace vodare::local {

// The name of a file layer for the company file's saving connection that hands each
// transaction's write-ahead log frames to the system in one write instead of two writes a page.
// Every frame of a commit is in the log file before the commit's own write returns, so a record
// answered as saved is in the file as it was before; anything else the engine asks of the log
// (a read, a sync, its size) first writes what is held. Null when the layer could not be
// registered; the connection then opens with the system's own.
const char* GatheredLogVfs();

}  // namespace vodare::local
