// The test seam shared by both sides of the file calls: failing the Nth operation on purpose.
#pragma once

namespace mission::files {

// Counts one file operation; returns the error code it must fail with, or 0 to go ahead.
int NextOperationFault();

// False when a test asks saves to go as on a file system without unnamed temporary files.
bool UnnamedTemporariesAllowed();

} // namespace mission::files
