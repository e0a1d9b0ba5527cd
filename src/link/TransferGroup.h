#pragma once

#include <QtGlobal>

// How the controller lays out the data of a function code. Every code belongs to exactly one
// group; codes not listed anywhere are word blocks.
enum class TransferGroup {
    ByteBlock,     // one byte per channel, ranged
    IoBlock,       // the 20 terminal bytes (code 55), ranged
    RawBlock,      // the 96-byte parameter-block table (code 61), ranged
    IdBlock,       // six bytes (codes 63, 144, 153), ranged
    SingleByte,    // one byte, no request data
    SingleWord,    // one 16-bit word, no request data
    AddressedWord, // one word at a fixed address, request data 0, 0, 0
    WordBlock,     // one word per channel, ranged
};

TransferGroup transferGroupOf(int functionCode);

// Groups whose read request carries the range bytes p1, p2, p3 and whose reply echoes them.
bool isRangedGroup(TransferGroup group);

// Groups whose values are 16-bit words (low byte first); the others carry bytes.
bool isWordGroup(TransferGroup group);

// Number of values a read without a range returns (bytes for byte groups, words for words).
int unrangedValueCount(int functionCode);

// Total length of the reply Telegram to a read of `functionCode` with range p1..p2
// (no range when p1 or p2 is 0).
int readReplyLength(int functionCode, int p1, int p2);

const char* transferGroupName(TransferGroup group);
