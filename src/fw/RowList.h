#pragma once
// What the search filter needs of a list box: rows of text it can add.

#include <string>

namespace fw {

class RowList {
public:
  virtual ~RowList() = default;
  virtual void AddRow(const std::string& text) = 0;
  virtual void DeleteAllRows() = 0;
  virtual int ListCount() const = 0;
  virtual std::string List(int row) const = 0;
};

} // namespace fw
