#include "link/TransferGroup.h"

TransferGroup transferGroupOf(int code) {
    // clang-format off
    switch (code) {
    case 22: case 23: case 25: case 28: case 29: case 30: case 32: case 35: case 37: case 40:
    case 51: case 54: case 56:
        return TransferGroup::ByteBlock;
    case 55:
        return TransferGroup::IoBlock;
    case 61:
        return TransferGroup::RawBlock;
    case 63: case 144: case 153:
        return TransferGroup::IdBlock;
    case 48: case 49: case 50: case 53: case 58: case 147: case 160: case 161: case 162:
        return TransferGroup::SingleByte;
    case 47: case 146: case 148: case 149: case 152:
        return TransferGroup::SingleWord;
    case 100: case 103: case 104: case 105:
        return TransferGroup::AddressedWord;
    default:
        return TransferGroup::WordBlock;
    }
    // clang-format on
}

bool isRangedGroup(TransferGroup group) {
    switch (group) {
    case TransferGroup::SingleByte:
    case TransferGroup::SingleWord:
    case TransferGroup::AddressedWord:
        return false;
    default:
        return true;
    }
}

bool isWordGroup(TransferGroup group) {
    return group == TransferGroup::SingleWord || group == TransferGroup::AddressedWord ||
           group == TransferGroup::WordBlock;
}

int unrangedValueCount(int code) {
    switch (transferGroupOf(code)) {
    case TransferGroup::ByteBlock:
        return 8;
    case TransferGroup::IoBlock:
        return 20;
    case TransferGroup::RawBlock:
        return 96;
    case TransferGroup::IdBlock:
        return 6;
    case TransferGroup::SingleByte:
    case TransferGroup::SingleWord:
    case TransferGroup::AddressedWord:
        return 1;
    case TransferGroup::WordBlock:
        return code == 36 ? 9 : code == 46 ? 15 : 8;
    }
    return 0;
}

int readReplyLength(int code, int p1, int p2) {
    const TransferGroup group = transferGroupOf(code);
    const bool ranged = p1 != 0 && p2 != 0;
    // A ranged reply: 0x68 L L 0x68 C A F, three echoed bytes, the values, CS, 0x16.
    const int n = p2 - p1 + 1;
    switch (group) {
    case TransferGroup::ByteBlock:
    case TransferGroup::IoBlock:
    case TransferGroup::RawBlock:
        return 12 + (ranged ? n : unrangedValueCount(code));
    case TransferGroup::IdBlock:
        return ranged ? 12 + 2 * n : 18;
    case TransferGroup::SingleByte:
        return 10;
    case TransferGroup::SingleWord:
        return 11;
    case TransferGroup::AddressedWord:
        return 14;
    case TransferGroup::WordBlock:
        return 12 + 2 * (ranged ? n : unrangedValueCount(code));
    }
    return 0;
}

const char* transferGroupName(TransferGroup group) {
    switch (group) {
    case TransferGroup::ByteBlock:
        return "byte block";
    case TransferGroup::IoBlock:
        return "I/O block";
    case TransferGroup::RawBlock:
        return "raw block";
    case TransferGroup::IdBlock:
        return "ID block";
    case TransferGroup::SingleByte:
        return "single byte";
    case TransferGroup::SingleWord:
        return "single word";
    case TransferGroup::AddressedWord:
        return "addressed word";
    case TransferGroup::WordBlock:
        return "word block";
    }
    return "";
}
