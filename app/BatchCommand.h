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
// before it; a wrong command line exits with 2.

#include <iosfwd>
#include <string>
#include <vector>

namespace curvella {

int RunBatch(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

std::string BatchHelp();

} // namespace curvella
