// ITEMVIEW: the item store of a list of call items (see itemview.h).
#include "client/itemview.h"

#include <cstdio>

#include "kestar/base/logit.h"

namespace {

// A value of item for the log; "<NULL>" when absent.
const char *LogValue(HASH &item, const char *name)
{
    STRING *value = nullptr;
    return STR::SafeText(item.Exists(name, &value) ? static_cast<const char *>(*value) : nullptr, name);
}

STRING WidthValueName(int controlId)
{
    STRING name("ListviewColWidths");
    name += STRING(controlId);
    return name;
}

} // namespace

ITEMVIEW::ITEMVIEW(APP *owner, WINDOW *parent, int controlId)
    : ControlId(controlId), ColumnWidthName(WidthValueName(controlId)), Owner(owner), Parent(parent)
{
}

ITEMVIEW::~ITEMVIEW() = default;

HASHLIST &ITEMVIEW::LockItems()
{
    Items.Lock(-1);
    return Items;
}

void ITEMVIEW::UnlockItems()
{
    Items.Unlock();
}

int ITEMVIEW::FindItemIdx(uint32_t handle, int mustFind)
{
    const int idx = Items.FindHandle(handle);
    if (mustFind && idx == -1) {
        char info[32];
        snprintf(info, sizeof(info), "handle=%lu", static_cast<unsigned long>(handle));
        LOGIT::Assert(0, "!mustfind || idx!=-1", __FILE__, __LINE__, info, 0);
    }
    return idx;
}

HASH *ITEMVIEW::GetItem(uint32_t handle, int mustFind)
{
    const int idx = FindItemIdx(handle, mustFind);
    return idx == -1 ? nullptr : Items[idx];
}

int ITEMVIEW::GetNumberOfUnreadMsgs()
{
    int count = 0;
    for (int i = 0; i < Items.NumItems(); ++i) {
        HASH *item = Items[i];
        STRING *type = nullptr;
        STRING *seen = nullptr;
        if (!item->Exists("Type", &type) || !(*type == STRING("MESSAGE") || *type == STRING("FAX")))
            continue;
        // "Not set": absent, empty or zero.
        if (item->Exists("MsgSeen", &seen) && seen->NotEmpty() && static_cast<int>(*seen) != 0)
            continue;
        LOGIT::Printf("ITEMVIEW::GetNumberOfUnreadMsgs unread entry ltime=%s type=%s msgseen=%s\n",
                      LogValue(*item, "LTime"), LogValue(*item, "Type"), LogValue(*item, "MsgSeen"));
        ++count;
    }
    LOGIT::Printf("ITEMVIEW::GetNumberOfUnreadMsgs rc=%d\n", count);
    return count;
}

void ITEMVIEW::ItemToListview(int index, int insert, int queueTreeRefresh, int postSort, int showAfterSort,
                              const char *typeFilter, const char *targetFilter)
{
    (void)index;
    (void)insert;
    (void)queueTreeRefresh;
    (void)postSort;
    (void)showAfterSort;
    (void)typeFilter;
    (void)targetFilter;
}

void ITEMVIEW::ClearListview()
{
}

void ITEMVIEW::FillListview(const char *typeFilter, const char *targetFilter)
{
    (void)typeFilter;
    (void)targetFilter;
}

void ITEMVIEW::AutoWidthListview(int autoWidth, int hideStatus)
{
    (void)autoWidth;
    (void)hideStatus;
}
