#pragma once

#include <QString>

class QWidget;

namespace tarnwick {

// Remembers how the user arranged a window between starts: its geometry, the sizes of its
// named splitters and the column widths of its named grids, in an INI file of their own.
class ViewState {
public:
    // An empty path remembers nothing.
    explicit ViewState(QString path);

    void Save(const QWidget& window) const;
    // Leaves whatever the file does not describe, or describes for another layout, as it is.
    void Restore(QWidget& window) const;

private:
    QString m_path;
};

}  // namespace tarnwick
