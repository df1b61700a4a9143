#include "servicetest.h"

#include <QTest>

QTEST_GUILESS_MAIN(ServiceTest)
