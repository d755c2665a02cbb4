// Table-driven QtTest data: one row per case of a static table, named by the case; the test
// function fetches the "row" index and reads the case from the table.
#pragma once

#include <QTest>

#include <cstddef>

template <typename Case, std::size_t N> void addRows(const Case (&cases)[N]) {
    QTest::addColumn<int>("row");
    for (std::size_t i = 0; i < N; ++i)
        QTest::newRow(cases[i].name) << int(i);
}
