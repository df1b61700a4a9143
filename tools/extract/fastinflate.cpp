// libarchive inflates zip entries with zlib, which decodes a symbol or two at
// a time: on compressible data that is over half the extraction. This
// executable defines zlib's inflate functions itself, so the dynamic linker
// binds libarchive's calls to these, which decode with ISA-L's vectorised
// inflater. The contract is zlib's as far as its callers see it: the same
// results, total_in and total_out kept up to date, and at the end of a stream
// the input after its last byte left unread, since a reader of zip entries
// counts what inflate consumed as the entry's data.
#include <isa-l/igzip_lib.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <new>

namespace {

// zlib keeps its state behind stream->state, which callers never look into;
// here it is ISA-L's.
inflate_state* inflaterOf(z_streamp stream) {
    return stream ? reinterpret_cast<inflate_state*>(stream->state) : nullptr;
}

// zlib's windowBits: 8 to 15 for a zlib wrapper, the same negated for raw
// deflate, plus 16 for a gzip wrapper. Automatic detection (plus 32) is not
// needed here and is refused.
bool wrapperFor(int windowBits, std::uint32_t& wrapper) {
    if (windowBits >= -15 && windowBits <= -8)
        wrapper = ISAL_DEFLATE;
    else if (windowBits >= 8 && windowBits <= 15)
        wrapper = ISAL_ZLIB;
    else if (windowBits >= 24 && windowBits <= 31)
        wrapper = ISAL_GZIP;
    else
        return false;
    return true;
}

// ISA-L reads up to eight bytes ahead of the bits it has decoded. The whole
// bytes among them go back to the input, to be read again by the next call:
// were the stream to end among them, they would lie past its end, and the
// caller must not count them as the entry's data. Only bytes this call took
// can go back, so every call gives back its own. Two cases keep them: a
// header being gathered in ISA-L's own buffer, and a call that could decode
// nothing, which needs them all for its next symbol and must not look stuck.
void giveBackReadAhead(inflate_state& inflater, std::uint32_t taken, std::uint32_t produced) {
    if (inflater.tmp_in_size > 0 || inflater.read_in_length < 8)
        return;
    const std::uint32_t unread = std::min(std::uint32_t(inflater.read_in_length / 8), taken);
    if (unread == 0 ||
        (unread == taken && produced == 0 && inflater.block_state != ISAL_BLOCK_FINISH))
        return;
    inflater.next_in -= unread;
    inflater.avail_in += unread;
    inflater.read_in_length -= std::int32_t(8 * unread);
    inflater.read_in &= (std::uint64_t(1) << inflater.read_in_length) - 1;
}

} // namespace

extern "C" {

int inflateInit2_(z_streamp stream, int windowBits, const char* version, int streamSize) {
    if (!version || version[0] != ZLIB_VERSION[0] || streamSize != int(sizeof(z_stream)))
        return Z_VERSION_ERROR;
    std::uint32_t wrapper = ISAL_DEFLATE;
    if (!stream || !wrapperFor(windowBits, wrapper))
        return Z_STREAM_ERROR;
    auto* inflater = new (std::nothrow) inflate_state;
    if (!inflater)
        return Z_MEM_ERROR;
    isal_inflate_init(inflater);
    inflater->crc_flag = wrapper;
    stream->state = reinterpret_cast<internal_state*>(inflater);
    stream->msg = nullptr;
    stream->total_in = 0;
    stream->total_out = 0;
    return Z_OK;
}

int inflateInit_(z_streamp stream, const char* version, int streamSize) {
    return inflateInit2_(stream, MAX_WBITS, version, streamSize);
}

int inflateReset(z_streamp stream) {
    inflate_state* inflater = inflaterOf(stream);
    if (!inflater)
        return Z_STREAM_ERROR;
    const std::uint32_t wrapper = inflater->crc_flag;
    isal_inflate_reset(inflater);
    inflater->crc_flag = wrapper;
    stream->msg = nullptr;
    stream->total_in = 0;
    stream->total_out = 0;
    return Z_OK;
}

int inflateEnd(z_streamp stream) {
    inflate_state* inflater = inflaterOf(stream);
    if (!inflater)
        return Z_STREAM_ERROR;
    delete inflater;
    stream->state = nullptr;
    return Z_OK;
}

int inflateSetDictionary(z_streamp stream, const Bytef* dictionary, uInt length) {
    inflate_state* inflater = inflaterOf(stream);
    if (!inflater || !dictionary)
        return Z_STREAM_ERROR;
    return isal_inflate_set_dict(inflater, const_cast<Bytef*>(dictionary), length) == COMP_OK
               ? Z_OK
               : Z_STREAM_ERROR;
}

int inflate(z_streamp stream, int /*flush: ISA-L always gives all it can*/) {
    inflate_state* inflater = inflaterOf(stream);
    if (!inflater || (!stream->next_in && stream->avail_in > 0) || !stream->next_out)
        return Z_STREAM_ERROR;
    if (inflater->block_state == ISAL_BLOCK_FINISH)
        return Z_STREAM_END;

    inflater->next_in = const_cast<Bytef*>(stream->next_in);
    inflater->avail_in = stream->avail_in;
    inflater->next_out = stream->next_out;
    inflater->avail_out = stream->avail_out;
    const int result = isal_inflate(inflater);
    if (result >= ISAL_DECOMP_OK)
        giveBackReadAhead(*inflater, stream->avail_in - inflater->avail_in,
                          stream->avail_out - inflater->avail_out);
    const uInt consumed = stream->avail_in - inflater->avail_in;
    const uInt produced = stream->avail_out - inflater->avail_out;
    stream->next_in = inflater->next_in;
    stream->avail_in = inflater->avail_in;
    stream->next_out = inflater->next_out;
    stream->avail_out = inflater->avail_out;
    stream->total_in += consumed;
    stream->total_out += produced;

    switch (result) {
    case ISAL_DECOMP_OK:
    case ISAL_END_INPUT:
    case ISAL_OUT_OVERFLOW:
        if (inflater->block_state == ISAL_BLOCK_FINISH)
            return Z_STREAM_END;
        return consumed == 0 && produced == 0 ? Z_BUF_ERROR : Z_OK;
    case ISAL_NEED_DICT:
        return Z_NEED_DICT;
    default:
        stream->msg = const_cast<char*>("invalid deflate data");
        return Z_DATA_ERROR;
    }
}

} // extern "C"
