#pragma once

#include <QAbstractItemView>
#include <QComboBox>
#include <QListView>
#include <QStringList>

// The rows of a list as the user sees them.
inline QStringList items(const QAbstractItemView *view)
{
    QStringList out;
    const auto *list = qobject_cast<const QListView *>(view);
    const int column = list ? list->modelColumn() : 0;
    const QAbstractItemModel *model = view->model();
    for (int row = 0; row < model->rowCount(); ++row)
        out.append(model->index(row, column).data().toString());
    return out;
}

inline QModelIndex rowIndex(const QAbstractItemView *view, int row)
{
    const auto *list = qobject_cast<const QListView *>(view);
    return view->model()->index(row, list ? list->modelColumn() : 0);
}

// Clicks a row (-1: no row).
inline void selectRow(QAbstractItemView *view, int row)
{
    view->setCurrentIndex(row < 0 ? QModelIndex() : rowIndex(view, row));
}

inline void doubleClickRow(QAbstractItemView *view, int row)
{
    selectRow(view, row);
    emit view->doubleClicked(rowIndex(view, row));
}

inline int currentRow(const QAbstractItemView *view)
{
    return view->currentIndex().isValid() ? view->currentIndex().row() : -1;
}

inline QStringList comboItems(const QComboBox *box)
{
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out.append(box->itemText(i));
    return out;
}
