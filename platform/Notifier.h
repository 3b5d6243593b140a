#pragma once

// The one change-notification mechanism of Curvella's drawing objects and
// chart parts: an object reports a change of one of its properties to its
// owner, and a setter acts only when the value really changes.
//
//   pen.SetOnChange([&](TChangeNotifier*) { chart.Invalidate(); });
//   pen.SetWidth(2);  -> the owner hears of it
//   pen.SetWidth(2);  -> nothing: the value is the same

#include <functional>

namespace curvella {

class TChangeNotifier {
public:
  using THandler = std::function<void(TChangeNotifier* sender)>;

  TChangeNotifier() = default;
  explicit TChangeNotifier(THandler onChange) : m_onChange(std::move(onChange)) {}
  virtual ~TChangeNotifier() = default;
  // A copy belongs to nobody yet: it does not take the original's owner.
  TChangeNotifier(const TChangeNotifier&) : m_onChange() {}
  TChangeNotifier& operator=(const TChangeNotifier&) { return *this; }

  void SetOnChange(THandler onChange) { m_onChange = std::move(onChange); }
  const THandler& OnChange() const { return m_onChange; }

  // Reports a change to the owner.
  void Changed() {
    if (m_onChange) m_onChange(this);
  }

protected:
  // Stores value and reports the change, when it differs; returns whether it
  // did.
  template <class T, class U> bool Assign(T& field, const U& value) {
    if (field == value) return false;
    field = value;
    Changed();
    return true;
  }

private:
  THandler m_onChange;
};

} // namespace curvella
