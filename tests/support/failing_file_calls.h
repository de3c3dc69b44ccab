// A double for the file layer's system calls that counts them and fails the chosen one, so tests
// can prove that every failure point of a save leaves the previous file alone.
#pragma once

#include <string>
#include <vector>

namespace files::testing {

// Makes the Nth file operation from now on fail with errorCode (0 turns this off).
void FailNthOperation(int n, int errorCode);
// The number of file operations made since the last FailNthOperation call.
int OperationCount();
// The calls made since the last FailNthOperation call by their names in the table, in order.
const std::vector<std::string>& OperationNames();
// With false, saves behave as on a file system without unnamed temporary files.
void AllowUnnamedTemporaries(bool allow);

} // namespace files::testing
