#pragma once

namespace engine {

// Makes the process's heap keep the large blocks that statements free, for
// the next statements, instead of handing them back to the system at once.
// Once per process; the catalog calls it.
void keepFreedBlocksForReuse();

}  // namespace engine
