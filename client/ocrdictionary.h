// The glyph dictionary of the fax-command recognition: 9 x 7 feature patterns and their
// characters, in the order they were added, with an exact-match index.  A pattern that is not in
// the index reads as its nearest entry; one very close to an entry is learned, so that the same
// glyph later on the page matches exactly.  A dictionary lives for one page.
#ifndef CLIENT_OCRDICTIONARY_H
#define CLIENT_OCRDICTIONARY_H

#include <cstddef>
#include <cstdint>

class OCRDICTIONARY {
public:
    static constexpr int kBuiltinEntries = 112;   // 56 characters, drawn twice
    static constexpr size_t kBuiltinEntryBytes = 16;
    static constexpr int kNearDistance = 32;      // a nearest entry must be closer than this
    static constexpr int kLearnDistance = 2;      // patterns this close to their entry are learned
    // Learning stops after this many learned patterns, so that a page full of specks cannot
    // make every lookup scan an ever longer list; lookups go on as before.
    static constexpr int kMaxLearned = 4096;
    static constexpr char kUnknown = '?';         // the character of a pattern with no entry near

    // The built-in table: kBuiltinEntries entries of kBuiltinEntryBytes bytes (the character,
    // seven zero bytes, the pattern as 64-bit little-endian) and a final entry with character 0.
    static const unsigned char *BuiltinTable();

    OCRDICTIONARY() = default;
    ~OCRDICTIONARY();
    OCRDICTIONARY(const OCRDICTIONARY &) = delete;
    OCRDICTIONARY &operator=(const OCRDICTIONARY &) = delete;

    // Adds the built-in entries in table order, each unless its pattern is already indexed.
    // false when memory ran out (the entries added so far stay).
    bool LoadBuiltin();
    // Appends an entry and indexes it; false when the pattern is already indexed or memory ran
    // out (nothing added then).
    bool Add(uint64_t pattern, char character);

    // The character of a pattern: the indexed one; else the entry with the fewest differing bits
    // below kNearDistance, the earliest among equals (learned when at most kLearnDistance bits
    // away); else kUnknown.
    char Lookup(uint64_t pattern);

    int Count() const { return count; }
    // Entry i (0 <= i < Count()), in the order added.
    uint64_t PatternAt(int i) const { return entries[i].Pattern; }
    char CharacterAt(int i) const { return entries[i].Character; }

private:
    struct ENTRY {
        uint64_t Pattern;
        char Character;
    };
    int Find(uint64_t pattern) const; // entry index, or -1
    size_t SlotOf(uint64_t pattern) const;
    bool Reserve(int entriesNeeded);

    ENTRY *entries = nullptr; // owned, `capacity` entries
    int count = 0;
    int capacity = 0;
    int learned = 0;
    int32_t *slots = nullptr; // owned: open-addressing index of entry numbers, -1 = free
    size_t slotCount = 0;     // a power of two, at least twice count
    int slotBits = 0;
};

#endif
