#pragma once

// curvella-batch: Run and Export to CSV from the command line, with the texts
// a user would type into the window's four boxes.
//
//   curvella-batch --expr 'x^2-3*x+2' --first 0 --last 2 --steps 2 --csv -
//   -> " 0.00000000000000E+0000; 2.00000000000000E+0000\r\n"
//      " 1.00000000000000E+0000; 0.00000000000000E+0000\r\n"
//
// Every option takes its value as "--opt VALUE" or "--opt=VALUE"; the value
// may begin with "-" and may be empty. An error prints the window's error box
// text on standard error and exits with 1, after writing the points computed
// before it; a wrong command line exits with 2. Every step (the run, the
// points, each picture) runs under the same handler, allocation failures
// ("Out of memory.") included. Standard output is checked like a file: a
// full device prints "Disk full." and exits with 1.
//
//   --expr x --csv - > /dev/full  -> "Disk full.", exit 1
//   --bmp nodir/x.bmp             -> Cannot create file "<current folder>/nodir/x.bmp". No such file or
//   directory.

#include <iosfwd>
#include <string>
#include <vector>

#include "platform/Files.h"

namespace curvella {

// out is standard output; RunBatch flushes it before it returns.
int RunBatch(const std::vector<std::string>& arguments, TDescriptorWriter& out, std::ostream& err);

std::string BatchHelp();

} // namespace curvella
