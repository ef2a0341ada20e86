// DYNARRAY: growth of the pointer table, ownership of the elements, copies, the per-type sort and
// the orderly stop on a bad position.
#include "kestar/base/dynarray.h"
#include "kestar/base/stringarray.h"

#include "tests/support/logcapture_support.h"
#include "tests/support/tempfolder_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

// An element that records its destruction.
std::vector<int> gDestroyed;

struct TRACKED {
    explicit TRACKED(int id) : Id(id) {}
    TRACKED(const TRACKED &other) = default;
    ~TRACKED() { gDestroyed.push_back(Id); }
    int Id;
};

class TRACKARRAY : public DYNARRAY<TRACKED> {
public:
    explicit TRACKARRAY(STRING_SIZE_T size = 0, STRING_SIZE_T step = 8) : DYNARRAY<TRACKED>(size, step)
    {
        SetTypeName("TRACKARRAY");
    }
    int Compare(TRACKED *a, TRACKED *b, int) override { return a->Id - b->Id; }
};

std::vector<int> Ids(TRACKARRAY &a)
{
    std::vector<int> ids;
    for (STRING_SIZE_T i = 0; i < a.NumItems(); i++)
        ids.push_back(a[i]->Id);
    return ids;
}

std::vector<std::string> Texts(STRINGARRAY &a)
{
    std::vector<std::string> out;
    for (STRING_SIZE_T i = 0; i < a.NumItems(); i++)
        out.push_back(a[i]->Buffer ? a[i]->Buffer : "(NULL)");
    return out;
}

} // namespace

TEST(DYNARRAY, TableGrowsByItsStep)
{
    struct CASE {
        STRING_SIZE_T size;
        std::vector<int> insertions; // the number of elements after which MaxItems is read
        std::vector<int> maxItems;
    } cases[] = {
        {0, {0, 1, 64, 65}, {0, 64, 64, 128}},
        {2, {0, 2, 3, 66, 67}, {2, 2, 66, 66, 130}},
    };
    for (const CASE &c : cases) {
        STRINGARRAY a(c.size);
        EXPECT_STREQ("STRINGARRAY", a.TypeName);
        EXPECT_EQ(64, a.GrowBy);
        int count = 0;
        for (size_t k = 0; k < c.insertions.size(); k++) {
            while (count < c.insertions[k])
                a.AddItem(STRING(count++));
            EXPECT_EQ(c.maxItems[k], a.MaxItems) << "size " << c.size << " after " << count;
            for (STRING_SIZE_T i = a.ItemCount; i < a.MaxItems; i++)
                ASSERT_EQ(nullptr, a.ppItems[i]);
        }
        EXPECT_EQ("0", std::string(a[0]->Buffer));
    }
    DYNARRAY<STRING> sameStep(5);
    EXPECT_EQ(5, sameStep.GrowBy) << "step -1 is the size";
}

TEST(DYNARRAY, InsertStoresCopiesAndMovesTheRestUp)
{
    TRACKARRAY a;
    EXPECT_EQ(0, a.AddItem(TRACKED(1)));
    EXPECT_EQ(1, a.AddItem(TRACKED(3)));
    EXPECT_EQ(1, a.InsertItem(1, TRACKED(2)));
    EXPECT_EQ(3, a.InsertItem(3, TRACKED(4))) << "inserting at ItemCount appends";
    EXPECT_EQ(0, a.InsertItem(0, TRACKED(0)));
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4}), Ids(a));
    // An element of the array itself can be inserted: the copy is taken first.
    a.InsertItem(0, *a[4]);
    EXPECT_EQ((std::vector<int>{4, 0, 1, 2, 3, 4}), Ids(a));
    a.AddItems(a);
    EXPECT_EQ(12, a.NumItems());

    STRING cp("dos", 437);
    STRINGARRAY s;
    s.AddItem(cp);
    EXPECT_EQ(437, s[0]->CodePage);
    EXPECT_NE(cp.Buffer, s[0]->Buffer);
}

TEST(DYNARRAY, DeleteAllGoesFromTheLastAndKeepsTheTable)
{
    TRACKARRAY a;
    for (int id : {10, 11, 12})
        a.AddItem(TRACKED(id));
    LOGCAPTURE log(1);
    gDestroyed.clear();
    a.DeleteAll();
    EXPECT_EQ((std::vector<int>{12, 11, 10}), gDestroyed);
    EXPECT_EQ(3, log.CountLines("DYNARRAY::DeleteItem is called for pitem= "));
    EXPECT_EQ(0, a.NumItems());
    EXPECT_EQ(8, a.MaxItems);
    EXPECT_NE(nullptr, a.ppItems);
}

TEST(DYNARRAY, DeleteClosesTheGapAndFreeItemsEmptiesTheTable)
{
    TRACKARRAY a(4);
    for (int id : {1, 2, 3, 4})
        a.AddItem(TRACKED(id));
    gDestroyed.clear();
    a.DeleteItem(1);
    EXPECT_EQ((std::vector<int>{2}), gDestroyed);
    EXPECT_EQ((std::vector<int>{1, 3, 4}), Ids(a));
    EXPECT_EQ(nullptr, a.ppItems[3]);
    a.Swap(0, 2);
    EXPECT_EQ((std::vector<int>{4, 3, 1}), Ids(a));
    gDestroyed.clear();
    a.FreeItems();
    std::sort(gDestroyed.begin(), gDestroyed.end());
    EXPECT_EQ((std::vector<int>{1, 3, 4}), gDestroyed);
    EXPECT_EQ(0, a.MaxItems);
    EXPECT_EQ(nullptr, a.ppItems);
    a.AddItem(TRACKED(7));
    EXPECT_EQ(8, a.MaxItems) << "the next insertion allocates GrowBy slots";
}

TEST(DYNARRAY, CopiesAreDeep)
{
    STRINGARRAY a(3);
    a.AddItem(STRING("x", 437));
    a.AddItem(STRING());
    STRINGARRAY b(a);
    EXPECT_STREQ("", b.TypeName) << "a copy has no type name";
    EXPECT_EQ(a.MaxItems, b.MaxItems);
    EXPECT_EQ(a.GrowBy, b.GrowBy);
    ASSERT_EQ(2, b.NumItems());
    EXPECT_NE(a[0], b[0]);
    EXPECT_NE(a[0]->Buffer, b[0]->Buffer);
    EXPECT_EQ(437, b[0]->CodePage);
    EXPECT_TRUE(b[1]->IsNull());
    EXPECT_NE(a.pLock, b.pLock);

    STRINGARRAY c("p,q,r,s", ",");
    c = a;
    EXPECT_EQ((std::vector<std::string>{"x", "(NULL)"}), Texts(c));
    c = c;
    EXPECT_EQ(2, c.NumItems());
}

TEST(DYNARRAY, BaseCompareCannotSort)
{
    LOGCAPTURE log;
    DYNARRAY<STRING> plain(4);
    plain.AddItem(STRING("b"));
    plain.AddItem(STRING("a"));
    plain.Sort(0);
    EXPECT_EQ(2, plain.NumItems());
    std::vector<std::string> conditions = log.Conditions();
    ASSERT_FALSE(conditions.empty());
    EXPECT_EQ("FALSE", conditions[0]);
}

TEST(DYNARRAY, LockIsReentrantForItsHolder)
{
    STRINGARRAY a;
    ASSERT_TRUE(a.Lock(-1));
    ASSERT_TRUE(a.Lock(0));
    a.AddItem(STRING("inside")); // takes the lock again
    std::atomic<int> other{-1};
    std::thread t([&] { other = a.Lock(0) ? 1 : 0; if (other == 1) a.Unlock(); });
    t.join();
    EXPECT_EQ(0, other.load()) << "another thread does not get a held lock";
    a.Unlock();
    a.Unlock();
    std::thread u([&] { other = a.Lock(0) ? 1 : 0; if (other == 1) a.Unlock(); });
    u.join();
    EXPECT_EQ(1, other.load());
}

namespace {

// Compares slowly and counts how many compares run at the same moment.
std::atomic<int> gActive{0};
std::atomic<int> gMaxActive{0};
std::atomic<bool> gLockedDuringCompare{true};

class SLOWARRAY : public STRINGARRAY {
public:
    int Compare(STRING *a, STRING *b, int flags) override
    {
        const int now = ++gActive;
        int seen = gMaxActive.load();
        while (now > seen && !gMaxActive.compare_exchange_weak(seen, now)) {
        }
        // The compare runs with the array's lock held: another thread cannot take it.
        std::atomic<bool> free{false};
        std::thread probe([&] {
            free = Lock(0);
            if (free)
                Unlock();
        });
        probe.join();
        if (free)
            gLockedDuringCompare = false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        --gActive;
        return STRINGARRAY::Compare(a, b, flags);
    }
};

} // namespace

TEST(DYNARRAY, SortsOfOneElementTypeRunOneAtATime)
{
    SLOWARRAY a, b;
    for (int i = 0; i < 24; i++) {
        a.AddItem(STRING(i * 7919 % 101));
        b.AddItem(STRING(i * 104729 % 97));
    }
    gActive = 0;
    gMaxActive = 0;
    gLockedDuringCompare = true;
    std::thread first([&] { a.Sort(STRINGARRAY_NUMERIC); });
    std::thread second([&] { b.Sort(STRINGARRAY_NUMERIC | STRINGARRAY_DESCENDING); });
    first.join();
    second.join();
    EXPECT_EQ(1, gMaxActive.load());
    EXPECT_TRUE(gLockedDuringCompare.load());
    for (STRING_SIZE_T i = 1; i < a.NumItems(); i++) {
        EXPECT_LE(static_cast<int>(*a[i - 1]), static_cast<int>(*a[i]));
        EXPECT_GE(static_cast<int>(*b[i - 1]), static_cast<int>(*b[i]));
    }
}

#if GTEST_HAS_DEATH_TEST
// The patterns stay within one line: gtest's own regular expressions on Windows never let "."
// match a line feed.
namespace {

void SetChildFolder(const char *path)
{
#if defined(_WIN32)
    _putenv_s("PLX_CHILD_FOLDER", path ? path : "");
#else
    if (path)
        setenv("PLX_CHILD_FOLDER", path, 1);
    else
        unsetenv("PLX_CHILD_FOLDER");
#endif
}

// The death test's child runs the test body again; it finds the parent's scratch folder in the
// environment (for its assert.log) and logs to the standard error, which the parent matches.
class ORDERLYSTOP : public ::testing::Test {
protected:
    void SetUp() override
    {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        const char *inherited = getenv("PLX_CHILD_FOLDER");
        if (inherited == nullptr || *inherited == 0) {
            folder.reset(new TEMPFOLDER);
            SetChildFolder(folder->Path().c_str());
        }
    }
    void TearDown() override
    {
        if (folder)
            SetChildFolder(nullptr);
    }
    static void InChild()
    {
        ChangeFolderForTest(getenv("PLX_CHILD_FOLDER"));
        LOGIT::HandleSwitch("/LOGIT:STDERR");
    }
    std::unique_ptr<TEMPFOLDER> folder;
};

class NESTEDSORT : public STRINGARRAY {
public:
    int Compare(STRING *a, STRING *b, int flags) override
    {
        STRINGARRAY other("b,a", ",");
        other.Sort(0);
        return STRINGARRAY::Compare(a, b, flags);
    }
};

} // namespace

TEST_F(ORDERLYSTOP, BadPositionsStopTheProgram)
{
    STRINGARRAY a;
    for (const char *t : {"a", "b", "c"})
        a.AddItem(STRING(t));
    EXPECT_EXIT((InChild(), a.InsertItem(4, STRING("x"))), ::testing::ExitedWithCode(42),
                "Add. Info: 4/3");
    EXPECT_EXIT((InChild(), a.InsertItem(-1, STRING("x"))), ::testing::ExitedWithCode(42), "Add. Info: -1/3");
    EXPECT_EXIT((InChild(), a[3]), ::testing::ExitedWithCode(42),
                "Add. Info: i= 3, max= 64, count= 3, type= STRINGARRAY");
    EXPECT_EXIT((InChild(), a.DeleteItem(3)), ::testing::ExitedWithCode(42), "Condition: pos>=0 && pos<this->ItemCount");
    EXPECT_EXIT((InChild(), a.Swap(0, 5)), ::testing::ExitedWithCode(42), "Condition: pos2>=0 && pos2<this->ItemCount");
    EXPECT_EXIT(
        {
            InChild();
            DYNARRAY<STRING> full(1, 0);
            full.AddItem(STRING("a"));
            full.AddItem(STRING("b"));
        },
        ::testing::ExitedWithCode(42), "Condition: this->ItemCount<this->MaxItems");
    // The parent's array is untouched by all of it.
    EXPECT_EQ((std::vector<std::string>{"a", "b", "c"}), Texts(a));
}

TEST_F(ORDERLYSTOP, SortFromInsideACompareOfTheSameType)
{
    EXPECT_EXIT(
        {
            InChild();
            NESTEDSORT outer;
            outer.Split("c,b,a", ",");
            outer.Sort(0);
        },
        ::testing::ExitedWithCode(42), "Condition: DYNARRAY<TYPE>::SortThis==NULL");
}
#endif
