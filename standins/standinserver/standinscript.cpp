// The stand-in server's script of answers and pushes.
#include "standins/standinserver/standinscript.h"

#include <algorithm>

namespace {

STRING Value(HASH &record, const char *name)
{
    STRING *value = nullptr;
    if (record.Exists(name, &value) && value)
        return *value;
    return STRING();
}

} // namespace

int STANDINSCRIPT::Add(const STRING &listText, STRING &reason)
{
    HASHLIST list;
    list.FromString(listText);
    std::vector<ANSWER> answers;
    std::vector<PUSH> pushes;
    for (STRING_SIZE_T i = 0; i < list.NumItems(); ++i) {
        HASH &r = *list[i];
        if (r.NumKeys() == 0)
            continue;
        int count = Value(r, "Count").IsNull() ? 1 : static_cast<int>(Value(r, "Count"));
        count = std::max(0, std::min(count, 10000));
        if (Value(r, "Command").NotEmpty()) {
            ANSWER a;
            a.Command = Value(r, "Command");
            a.Text = Value(r, "Answer");
            a.Text.SetNotNull();
            a.DelayMs = std::max(0, static_cast<int>(Value(r, "Delay")));
            for (int n = 0; n < count; ++n)
                answers.push_back(a);
        } else if (Value(r, "Push").NotEmpty()) {
            PUSH p;
            p.Command = Value(r, "Push");
            p.To = Value(r, "To");
            if (p.To.IsEmpty())
                p.To = "*";
            if (Value(r, "Params").NotEmpty())
                p.Params = HASH(Value(r, "Params"));
            p.Sync = Value(r, "Sync") == "1";
            p.After = Value(r, "After");
            p.AtMs = p.After.NotEmpty() ? -1 : std::max<int64_t>(0, Value(r, "At").ToInt64());
            for (int n = 0; n < count; ++n)
                pushes.push_back(p);
        } else {
            reason.Format("script record %d has neither \"Command\" nor \"Push\"", static_cast<int>(i));
            return -1;
        }
    }
    lock.Enter();
    Answers.insert(Answers.end(), answers.begin(), answers.end());
    Pushes.insert(Pushes.end(), pushes.begin(), pushes.end());
    lock.Leave();
    return static_cast<int>(answers.size() + pushes.size());
}

bool STANDINSCRIPT::TakeAnswer(const char *command, ANSWER &answer)
{
    bool found = false;
    lock.Enter();
    for (auto it = Answers.begin(); it != Answers.end(); ++it) {
        if (it->Command == command) {
            answer = *it;
            Answers.erase(it);
            found = true;
            break;
        }
    }
    lock.Leave();
    return found;
}

std::vector<STANDINSCRIPT::PUSH> STANDINSCRIPT::TakeAfter(const char *command)
{
    std::vector<PUSH> taken;
    lock.Enter();
    for (auto it = Pushes.begin(); it != Pushes.end();) {
        if (it->AtMs < 0 && it->After == command) {
            taken.push_back(*it);
            it = Pushes.erase(it);
        } else {
            ++it;
        }
    }
    lock.Leave();
    return taken;
}

std::vector<STANDINSCRIPT::PUSH> STANDINSCRIPT::TakeDue(int64_t nowMs)
{
    std::vector<PUSH> taken;
    lock.Enter();
    for (auto it = Pushes.begin(); it != Pushes.end();) {
        if (it->AtMs >= 0 && it->AtMs <= nowMs) {
            taken.push_back(*it);
            it = Pushes.erase(it);
        } else {
            ++it;
        }
    }
    lock.Leave();
    std::stable_sort(taken.begin(), taken.end(), [](const PUSH &a, const PUSH &b) { return a.AtMs < b.AtMs; });
    return taken;
}

int64_t STANDINSCRIPT::NextDue()
{
    int64_t next = -1;
    lock.Enter();
    for (const PUSH &p : Pushes)
        if (p.AtMs >= 0 && (next < 0 || p.AtMs < next))
            next = p.AtMs;
    lock.Leave();
    return next;
}
