#include "queue/image_queue.h"

#include <gtest/gtest.h>

#include <vector>

namespace pixmorrow {
namespace {

ImageQueue queueOf(int n) {
    ImageQueue q;
    for (int i = 1; i <= n; ++i)
        q.append(QStringLiteral("/p/%1.png").arg(i));
    return q;
}

std::vector<QString> names(const ImageQueue& q) {
    std::vector<QString> out;
    for (const TMyRecord& r : q.items())
        out.push_back(r.FName);
    return out;
}

TEST(ImageQueue, AppendKeepsOrderAndDuplicatesWithNoIconFetched) {
    ImageQueue q;
    q.append(QStringLiteral("a.png"));
    q.append(QStringLiteral("a.png"));
    ASSERT_EQ(q.size(), 2u);
    EXPECT_EQ(q.at(1).FName, QStringLiteral("a.png"));
    EXPECT_EQ(q.at(0).FImageIndex, 0);
}

TEST(ImageQueue, RemovingRowsKeepsTheOthersInOrderAndTheirIcons) {
    ImageQueue q = queueOf(5);
    q.at(2).FImageIndex = 7;
    const std::vector<std::size_t> rows = {1, 3};  // rows 2 and 4 of 5
    q.removeRows(rows);
    EXPECT_EQ(names(q), (std::vector<QString>{"/p/1.png", "/p/3.png", "/p/5.png"}));
    EXPECT_EQ(q.at(1).FImageIndex, 7);

    q.removeRows({});
    EXPECT_EQ(q.size(), 3u);

    const std::vector<std::size_t> all = {0, 1, 2, 9};
    q.removeRows(all);
    EXPECT_TRUE(q.empty());
}

TEST(ImageQueue, RemoveAtBeyondTheEndAndClear) {
    ImageQueue q = queueOf(3);
    q.removeAt(3);
    EXPECT_EQ(q.size(), 3u);
    q.removeAt(0);
    EXPECT_EQ(names(q), (std::vector<QString>{"/p/2.png", "/p/3.png"}));
    q.clear();
    EXPECT_TRUE(q.empty());
    q.clear();
    EXPECT_TRUE(q.empty());
}

}  // namespace
}  // namespace pixmorrow
