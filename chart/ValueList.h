#pragma once

// One column of a series' values (X or Y), with its order, multiplier and
// lazily cached statistics.
//
// Values are stored raw, contiguously, in point order; every read returns
// the raw value times Multiplier. AddInOrder keeps an ascending (or
// descending) column in order by scanning back from the end, so values that
// arrive in order are appended in constant time and equal values keep the
// order they arrived in.
//
//   ascending, add 1, 3, 2     -> 1, 2, 3 (the 2 at index 1)
//   ascending, add 2, 2, 2     -> indices 0, 1, 2 (each after the equal ones)
//   ascending, add 3, 2, 1     -> each at index 0
//   ascending, add NaN         -> appended: it never compares smaller
//   Multiplier 2, stored 1.5   -> reads 3.0; the statistics use 3.0
//   empty column               -> lowest = highest = sum = magnitude sum = 0

#include <cstdint>
#include <string>
#include <vector>

namespace curvella {

class TChartSeries;

enum class TChartListOrder { loNone, loAscending, loDescending };

class TChartValueList {
public:
  TChartValueList(TChartSeries* owner, std::string name);
  TChartValueList(const TChartValueList&) = delete;
  TChartValueList& operator=(const TChartValueList&) = delete;

  std::int32_t ValueCount() const { return static_cast<std::int32_t>(m_values.size()); }
  // Raw value times Multiplier; an index outside the list raises EListError.
  double ValueAt(std::int32_t index) const;
  void SetValueAt(std::int32_t index, double value);
  // The value of point i, unchecked, for the drawing's inner loops.
  double operator[](std::int32_t index) const {
    return m_multiplier == 1.0 ? m_values[static_cast<std::size_t>(index)] : ValueAt(index);
  }

  std::int32_t AddInOrder(double value);
  void InsertAt(std::int32_t index, double value);
  void RemoveAt(std::int32_t index);
  // Exchanges two stored values (sorting moves whole points with it).
  void Swap(std::int32_t a, std::int32_t b);
  // Empties the column and releases its storage.
  void ClearAll();
  double LastValue() const { return ValueAt(ValueCount() - 1); }
  std::int32_t IndexOfValue(double value) const;
  void RotateLeft();
  void FillWithIndices();
  // Sorts every point of the owning series by this column, when ordered.
  void SortByOrder();

  double LowestValue() const;
  double HighestValue() const;
  double SumOfValues() const;
  double SumOfMagnitudes() const;
  bool StatsStale() const { return m_statsStale; }

  // The staging slot of the point being added.
  double PendingValue() const { return m_pendingValue; }
  void SetPendingValue(double value) { m_pendingValue = value; }

  bool DateTime() const { return m_dateTime; }
  void SetDateTime(bool dateTime);
  double Multiplier() const { return m_multiplier; }
  void SetMultiplier(double multiplier);
  const std::string& Name() const { return m_name; }
  void SetName(std::string name) { m_name = std::move(name); }
  TChartListOrder Order() const { return m_order; }
  // Existing values are not sorted again.
  void SetOrder(TChartListOrder order) { m_order = order; }
  const std::string& ValueSource() const { return m_valueSource; }
  void SetValueSource(const std::string& source);

  // Copies Order, DateTime, Multiplier and ValueSource; not the values.
  void Assign(const TChartValueList& other);

  TChartSeries* Owner() const { return m_owner; }
  // The raw values, as stored.
  const std::vector<double>& RawValues() const { return m_values; }

private:
  void CheckIndex(std::int64_t index, std::int64_t limit) const;
  void RecomputeStatistics() const;
  void QuickSort(std::int32_t low, std::int32_t high);

  TChartSeries* m_owner;
  std::string m_name;
  std::vector<double> m_values;
  bool m_dateTime = false;
  double m_multiplier = 1.0;
  TChartListOrder m_order = TChartListOrder::loNone;
  std::string m_valueSource;
  double m_pendingValue = 0;
  mutable bool m_statsStale = true;
  mutable double m_lowest = 0;
  mutable double m_highest = 0;
  mutable double m_sum = 0;
  mutable double m_magnitudeSum = 0;
};

} // namespace curvella
