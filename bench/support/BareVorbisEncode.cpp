#include "bench/support/BareVorbisEncode.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cstdio>

void BareVorbisEncode(const std::vector<std::int16_t>& samples, int rate, float quality,
                      const std::string& path) {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    vorbis_info info;
    vorbis_info_init(&info);
    vorbis_encode_init_vbr(&info, 1, rate, quality);
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 1);
    ogg_packet header, commentPacket, codebooks;
    vorbis_analysis_headerout(&dsp, &comment, &header, &commentPacket, &codebooks);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &commentPacket);
    ogg_stream_packetin(&stream, &codebooks);
    ogg_page page;
    while (ogg_stream_flush(&stream, &page)) {
        std::fwrite(page.header, 1, static_cast<std::size_t>(page.header_len), out);
        std::fwrite(page.body, 1, static_cast<std::size_t>(page.body_len), out);
    }
    constexpr int kChunk = 1024;
    std::size_t done = 0;
    for (bool more = true; more;) {
        const int count = static_cast<int>(std::min<std::size_t>(kChunk, samples.size() - done));
        if (count == 0) {
            vorbis_analysis_wrote(&dsp, 0);
            more = false;
        } else {
            float** buffer = vorbis_analysis_buffer(&dsp, count);
            for (int index = 0; index < count; ++index)
                buffer[0][index] = samples[done + static_cast<std::size_t>(index)] / 32768.0f;
            vorbis_analysis_wrote(&dsp, count);
            done += static_cast<std::size_t>(count);
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page)) {
                    std::fwrite(page.header, 1, static_cast<std::size_t>(page.header_len), out);
                    std::fwrite(page.body, 1, static_cast<std::size_t>(page.body_len), out);
                }
            }
        }
    }
    while (ogg_stream_flush(&stream, &page)) {
        std::fwrite(page.header, 1, static_cast<std::size_t>(page.header_len), out);
        std::fwrite(page.body, 1, static_cast<std::size_t>(page.body_len), out);
    }
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    std::fclose(out);
}
