#include "app/UserLocale.h"

#include "numtext/PictureFormat.h"
#include "platform/Locale.h"

namespace curvella {

void ApplyUserLocale() {
  const TLocaleSeparators separators = ReadLocaleSeparators();
  SetDecimalSeparator(separators.Decimal);
  SetThousandSeparator(separators.Thousand);
}

} // namespace curvella
