// Speed of the caller identification: FindBestMatchNumber on a phone book whose records fill
// every number key (as stored and written with blanks, dashes, parentheses and "+"), answering
// received numbers of three kinds in turn: whole numbers of a record, numbers with an extension
// behind a record's number, and unknown numbers.  The reference looks the same received numbers
// up in a std::unordered_map of every stored number.  Prints lookups per second for both and
// their ratio; fails only on a wrong match.  The search walks the whole list for every number
// that is not matched whole, so ours is measured on the first numbers of the set only (the
// three kinds interleave, so the share of each kind stays the same).
//
//   callerid_bench [records] [numbers] [numbers of ours]   (default 100000 10000 300)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/callers.h"
#include "common/findbestmatchnumber.h"

namespace {

double Now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

std::string Digits(int i)
{
    char text[16];
    std::snprintf(text, sizeof text, "%06d", i);
    return text;
}

struct QUERY {
    std::string Received;
    std::string Canonical;
    int Expected;
};

} // namespace

int main(int argc, char **argv)
{
    const int records = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int numbers = argc > 2 ? std::atoi(argv[2]) : 10000;
    const int oursCount = argc > 3 ? std::atoi(argv[3]) : 300;
    if (records < 1 || numbers < 3 || oursCount < 3 || records > 999999) {
        std::fprintf(stderr, "usage: callerid_bench [records] [numbers] [numbers of ours]\n");
        return 2;
    }

    CALLERS list;
    std::unordered_map<std::string, int> reference;
    for (int i = 0; i < records; ++i) {
        const std::string d = Digits(i);
        HASH record;
        record["Name"] = ("Caller " + d).c_str();
        const std::string values[5] = {"0301" + d, "+49 301 " + d + "-9", "0171-" + d, "(030) 2" + d, "0302 " + d + "-5"};
        const std::string plain[5] = {"0301" + d, "+49301" + d + "9", "0171" + d, "0302" + d, "0302" + d + "5"};
        for (int k = 0; k < 5; ++k) {
            record[MATCHNUMBERKEYS[k]] = values[k].c_str();
            reference.emplace(values[k], i);
            reference.emplace(plain[k], i);
        }
        CALLERS::Prepare(record);
        list.AddItem(record);
    }

    std::vector<QUERY> queries;
    for (int q = 0; q < numbers; ++q) {
        const int r = static_cast<int>((static_cast<long long>(q) * 7919) % records);
        const std::string d = Digits(r);
        switch (q % 3) {
        case 0: // the whole number of a record
            queries.push_back({"0301" + d, "+49301" + d, r});
            break;
        case 1: // an extension behind it
            queries.push_back({"0301" + d + "77", "+49301" + d + "77", r});
            break;
        default: // unknown
            queries.push_back({"0999" + d, "+49999" + d, -1});
            break;
        }
    }

    int wrong = 0;
    const int ours = oursCount < numbers ? oursCount : numbers;
    double oursBest = 1e30;
    for (int round = 0; round < 3; ++round) {
        const double start = Now();
        for (int q = 0; q < ours; ++q) {
            const int idx = FindBestMatchNumber(list, queries[q].Received.c_str(), queries[q].Canonical.c_str(), nullptr);
            if (idx != queries[q].Expected && round == 0) {
                std::printf("wrong match for %s: %d, expected %d\n", queries[q].Received.c_str(), idx,
                            queries[q].Expected);
                ++wrong;
            }
        }
        const double seconds = Now() - start;
        if (seconds < oursBest)
            oursBest = seconds;
    }

    double referenceBest = 1e30;
    long long hits = 0;
    for (int round = 0; round < 3; ++round) {
        hits = 0;
        const double start = Now();
        for (const QUERY &query : queries)
            hits += reference.count(query.Received) ? 1 : 0;
        const double seconds = Now() - start;
        if (seconds < referenceBest)
            referenceBest = seconds;
    }

    const double oursRate = ours / (oursBest > 0 ? oursBest : 1e-9);
    const double referenceRate = numbers / (referenceBest > 0 ? referenceBest : 1e-9);
    std::printf("%d records, %d received numbers (%d through FindBestMatchNumber), %lld whole-number hits in the map\n",
                records, numbers, ours, hits);
    std::printf("BENCH FindBestMatchNumber lookups/s %d records | %.0f lookups/s | %.0f lookups/s | %.2f | -\n",
                records, oursRate, referenceRate, referenceRate / oursRate);
    if (wrong) {
        std::printf("%d wrong matches\n", wrong);
        return 1;
    }
    std::printf("matches ok\n");
    return 0;
}
