// Stand-in text front end, compiled only while engine/frontend does not
// provide one. It decodes just enough of the code page to keep multi-byte
// characters whole, cuts sentences at sentence punctuation and line ends,
// and makes one item per character (a pause for blanks and punctuation).
#include <cstring>

#include "engine_instance.h"

namespace {

constexpr int32_t kMaxChineseItems = 178;
constexpr uint16_t kUnconvertible = 0xFFFF;

bool IsUtf8(int32_t codepage) { return codepage == 65001 || codepage == 65000; }
bool IsUtf16(int32_t codepage) { return codepage == 1200 || codepage == 1201; }

int32_t UnitBytes(int32_t codepage, uint8_t lead) {
    if (IsUtf16(codepage)) return 2;
    if (lead < 0x80) return 1;
    if (!IsUtf8(codepage)) return 2;
    if (lead >= 0xC0 && lead < 0xE0) return 2;
    if (lead >= 0xE0 && lead < 0xF0) return 3;
    if (lead >= 0xF0 && lead < 0xF8) return 4;
    return 1;  // stray continuation byte
}

uint16_t Decode(int32_t codepage, const uint8_t* b, int32_t n) {
    if (IsUtf16(codepage)) {
        return codepage == 1200 ? static_cast<uint16_t>(b[0] | (b[1] << 8)) : static_cast<uint16_t>((b[0] << 8) | b[1]);
    }
    if (n == 1) return b[0] < 0x80 ? b[0] : kUnconvertible;
    if (!IsUtf8(codepage)) return static_cast<uint16_t>(b[0] | (b[1] << 8));
    if (n == 2) return static_cast<uint16_t>(((b[0] & 0x1F) << 6) | (b[1] & 0x3F));
    if (n == 3) return static_cast<uint16_t>(((b[0] & 0x0F) << 12) | ((b[1] & 0x3F) << 6) | (b[2] & 0x3F));
    return kUnconvertible;
}

bool IsTerminator(int32_t codepage, uint16_t code) {
    switch (code) {
        case '.': case '!': case '?': case ';': case '\n': case '\r': return true;
        default: break;
    }
    if (IsUtf8(codepage) || IsUtf16(codepage)) {
        return code == 0x3002 || code == 0xFF01 || code == 0xFF1F || code == 0xFF1B;
    }
    return code == 0xA3A1 || code == 0xA1A3 || code == 0xBFA3 || code == 0xBBA3;
}

bool IsBlankOrMark(uint16_t code) {
    return code < 0x80 ? !((code >= '0' && code <= '9') || ((code | 0x20) >= 'a' && (code | 0x20) <= 'z'))
                       : code == kUnconvertible;
}

void AppendCode(qvFrontEndState* s, uint16_t code, int32_t offset, int32_t end) {
    s->text[s->text_count] = code;
    s->text_offset[s->text_count] = offset;
    s->text_offset[s->text_count + 1] = end;
    ++s->text_count;
}

// Decodes the chunk into the text buffer until it is full or the chunk is
// used up; a character cut by the chunk's end waits in pending.
void DecodeMore(qvFrontEndState* s, int32_t codepage) {
    while (s->text_count < kTextBufferCodes && s->chunk != nullptr && s->chunk_position < s->chunk_view_length) {
        uint8_t bytes[4];
        int32_t have = s->pending_count;
        std::memcpy(bytes, s->pending, static_cast<size_t>(have));
        const int32_t start = have > 0 ? s->pending_offset : s->chunk_position;
        const uint8_t lead = have > 0 ? bytes[0] : s->chunk[s->chunk_position];
        const int32_t need = UnitBytes(codepage, lead);
        while (have < need && s->chunk_position < s->chunk_view_length) bytes[have++] = s->chunk[s->chunk_position++];
        if (have < need) {
            std::memcpy(s->pending, bytes, static_cast<size_t>(have));
            s->pending_count = have;
            s->pending_offset = start;
            return;
        }
        s->pending_count = 0;
        AppendCode(s, Decode(codepage, bytes, need), start, s->chunk_position);
    }
}

void TakeSentence(qvFrontEndState* s, int32_t length) {
    s->sentence_length = length;
    std::memcpy(s->sentence, s->text, sizeof(uint16_t) * static_cast<size_t>(length));
    std::memcpy(s->sentence_offset, s->text_offset, sizeof(int32_t) * static_cast<size_t>(length + 1));
    s->text_count -= length;
    std::memmove(s->text, s->text + length, sizeof(uint16_t) * static_cast<size_t>(s->text_count));
    std::memmove(s->text_offset, s->text_offset + length, sizeof(int32_t) * static_cast<size_t>(s->text_count + 1));
}

int32_t BuildItems(const qvFrontEndState* s, const qvInstance* instance, qvAnalysisItem* items, int32_t capacity) {
    int32_t limit = capacity - 1;
    if (limit > kMaxChineseItems) limit = kMaxChineseItems;
    const int32_t unit_base = instance->tables.unit_base;
    int32_t count = 0;
    for (int32_t i = 0; i < s->sentence_length && count < limit; ++i, ++count) {
        qvAnalysisItem& item = items[count];
        const uint16_t code = s->sentence[i];
        item.character = code;
        item.pitch = instance->params.pitch;
        item.speed = instance->params.speed;
        item.volume = instance->params.volume;
        item.lexical_word = static_cast<int16_t>(i);
        item.text_position = i;
        if (IsBlankOrMark(code) || IsTerminator(instance->params.codepage, code) || unit_base <= 0) {
            item.unit = kUnitSilence;
            item.flags = kItemFlagPause;
            item.pause_length = 100;
        } else {
            item.unit = static_cast<uint16_t>(code % unit_base);
            item.flags = i == 0 ? kItemFlagProsodicWordStart | kItemFlagPhraseStart : 0;
        }
    }
    items[count].character = 0;
    items[count].flags = kItemFlagTerminator;
    return count;
}

}  // namespace

int qvFrontEnd_InitChinese(qvInstance*) { return QVTTS_ERR_OK; }
void qvFrontEnd_ReleaseChinese(qvInstance*) {}

void qvFrontEnd_Reset(qvFrontEndState* state) { std::memset(state, 0, sizeof(*state)); }

int32_t qvFrontEnd_Process(qvFrontEndState* s, int32_t* language_status, const uint8_t* chunk,
                           int32_t chunk_length, qvAnalysisItem* items, int32_t capacity,
                           qvInstance* instance, int32_t* item_count) {
    *item_count = 0;
    *language_status = kLangChinese;
    s->sentence_length = 0;
    const int32_t codepage = instance->params.codepage;
    if (chunk != nullptr) {
        if (chunk_length <= 0) return kFeEmptyChunk;
        // Offsets of carried codes move to the new chunk's frame of reference.
        for (int32_t k = 0; k <= s->text_count; ++k) s->text_offset[k] -= s->chunk_view_length;
        s->pending_offset -= s->chunk_view_length;
        s->chunk = chunk;
        s->chunk_view_length = chunk_length;
        s->chunk_position = 0;
    }
    for (;;) {
        for (int32_t k = 0; k < s->text_count; ++k) {
            if (IsTerminator(codepage, s->text[k])) {
                TakeSentence(s, k + 1);
                *item_count = BuildItems(s, instance, items, capacity);
                return kFeOk;
            }
        }
        if (s->text_count == kTextBufferCodes) break;
        const int32_t before = s->text_count;
        DecodeMore(s, codepage);
        if (s->text_count == before) break;
    }
    if (s->text_count < kTextBufferCodes && !s->end_of_input) return kFeChunkDone;
    if (s->end_of_input && s->pending_count > 0) {
        AppendCode(s, kUnconvertible, s->pending_offset, s->pending_offset + s->pending_count);
        s->pending_count = 0;
    }
    if (s->text_count == 0) return kFeChunkDone;
    TakeSentence(s, s->text_count);
    *item_count = BuildItems(s, instance, items, capacity);
    return kFeOk;
}
