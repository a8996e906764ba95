#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "base/DateTime.h"

namespace tarnwick {

// A value bound to a statement's parameter. Text is viewed, not copied: it must outlive the
// statement's run, which it does for the rows and arguments a store call is given.
using SqlValue = std::variant<std::string_view, std::int32_t, double, DateTime>;

// The rows one query returned, walked once from the first, in the same terms whichever engine
// answered: so that every table is read by one reader. NULL reads as the empty text, 0 or the
// zero date-time, as the stored rows have always read.
class RowCursor {
public:
    virtual ~RowCursor() = default;

    // Moves to the next row; false once there is none. Before the first call there is no row.
    virtual bool Next() = 0;
    // The column of that name, compared without case; -1 when the result has none.
    virtual int ColumnIndex(std::string_view name) const = 0;

    virtual std::string Text(int column) const = 0;
    virtual std::int32_t Int(int column) const = 0;
    virtual double Real(int column) const = 0;
    virtual DateTime Time(int column) const = 0;
};

}  // namespace tarnwick
