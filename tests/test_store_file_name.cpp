#include <QtTest>
class T : public QObject { Q_OBJECT private Q_SLOTS: void placeholder() { QVERIFY(true); } };
QTEST_APPLESS_MAIN(T)
#include "test_store_file_name.moc"
