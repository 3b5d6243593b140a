#pragma once

// The user's regional settings as Curvella's number pictures use them: the
// decimal symbol and the digit-grouping symbol of the environment's locale
// become the separators that axis labels print. Both programs read them at
// start-up; the window reads them again when the desktop reports a change.

namespace curvella {

void ApplyUserLocale();

} // namespace curvella
