#include "platform/OggVorbisEncode.h"

#include <vorbis/vorbisenc.h>

#include <cstring>

namespace plat {

namespace {

void Append(std::vector<uint8_t>& out, const ogg_page& pg) {
  out.insert(out.end(), pg.header, pg.header + pg.header_len);
  out.insert(out.end(), pg.body, pg.body + pg.body_len);
}

}  // namespace

std::vector<uint8_t> EncodeOggVorbis(const int16_t* pcm, size_t frames, int channels, int rate,
                                     float quality, const std::vector<std::string>& comments) {
  std::vector<uint8_t> out;
  if (channels < 1 || channels > 2 || (frames && !pcm)) return out;
  vorbis_info vi;
  vorbis_info_init(&vi);
  if (vorbis_encode_init_vbr(&vi, channels, rate, quality) != 0) {
    vorbis_info_clear(&vi);
    return out;
  }
  vorbis_comment vc;
  vorbis_comment_init(&vc);
  for (const auto& c : comments) vorbis_comment_add(&vc, c.c_str());
  vorbis_dsp_state vd;
  vorbis_block vb;
  vorbis_analysis_init(&vd, &vi);
  vorbis_block_init(&vd, &vb);
  ogg_stream_state os;
  ogg_stream_init(&os, 0x716f7276);  // a fixed serial number keeps the output reproducible

  ogg_packet h, hc, hcode;
  vorbis_analysis_headerout(&vd, &vc, &h, &hc, &hcode);
  ogg_stream_packetin(&os, &h);
  ogg_stream_packetin(&os, &hc);
  ogg_stream_packetin(&os, &hcode);
  ogg_page pg;
  while (ogg_stream_flush(&os, &pg)) Append(out, pg);

  const size_t chunk = 1024;
  size_t done = 0;
  bool eos = false;
  while (!eos) {
    size_t n = frames - done < chunk ? frames - done : chunk;
    if (n == 0) {
      vorbis_analysis_wrote(&vd, 0);
    } else {
      float** buf = vorbis_analysis_buffer(&vd, int(n));
      for (size_t i = 0; i < n; ++i)
        for (int c = 0; c < channels; ++c)
          buf[c][i] = pcm[(done + i) * size_t(channels) + size_t(c)] / 32768.0f;
      vorbis_analysis_wrote(&vd, int(n));
      done += n;
    }
    while (vorbis_analysis_blockout(&vd, &vb) == 1) {
      vorbis_analysis(&vb, nullptr);
      vorbis_bitrate_addblock(&vb);
      ogg_packet op;
      while (vorbis_bitrate_flushpacket(&vd, &op)) {
        ogg_stream_packetin(&os, &op);
        while (ogg_stream_pageout(&os, &pg)) {
          Append(out, pg);
          if (ogg_page_eos(&pg)) eos = true;
        }
      }
    }
    if (n == 0 && !eos) {
      // Everything was handed over; flush whatever pages are left.
      while (ogg_stream_flush(&os, &pg)) Append(out, pg);
      eos = true;
    }
  }
  ogg_stream_clear(&os);
  vorbis_block_clear(&vb);
  vorbis_dsp_clear(&vd);
  vorbis_comment_clear(&vc);
  vorbis_info_clear(&vi);
  return out;
}

}  // namespace plat
