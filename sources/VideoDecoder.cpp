#include "sources/VideoDecoder.h"

namespace stereolint::libav {

namespace {

Failure cannotOpen(const std::string& path, int code) {
  return Failure{"Cannot open the video " + path + ": " + errorText(code), "input"};
}

}  // namespace

Expected<std::unique_ptr<VideoDecoder>> VideoDecoder::open(const std::string& path) {
  settleLogLevel();
  std::unique_ptr<VideoDecoder> reader(new VideoDecoder());
  AVFormatContext* opened = nullptr;
  if (const int code = avformat_open_input(&opened, path.c_str(), nullptr, nullptr); code < 0) {
    return cannotOpen(path, code);  // avformat_open_input frees `opened` itself
  }
  reader->file.reset(opened);
  if (const int code = avformat_find_stream_info(opened, nullptr); code < 0) {
    return cannotOpen(path, code);
  }

  const AVCodec* decoder = nullptr;
  const int index = av_find_best_stream(opened, AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
  if (index == AVERROR_STREAM_NOT_FOUND) return Failure{path + " holds no video stream", "input"};
  if (index == AVERROR_DECODER_NOT_FOUND || decoder == nullptr) {
    // av_find_best_stream names no stream then; the first video one tells the codec.
    const char* name = "its codec";
    for (unsigned k = 0; k < opened->nb_streams; ++k) {
      if (opened->streams[k]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
        name = avcodec_get_name(opened->streams[k]->codecpar->codec_id);
        break;
      }
    }
    return Failure{"Cannot decode the video " + path + ": FFmpeg has no decoder for " + name,
                   "input"};
  }
  if (index < 0) return cannotOpen(path, index);
  AVStream* stream = opened->streams[index];
  reader->streamIndex = index;
  // Packets of the other streams are dropped by the demuxer unread.
  for (unsigned k = 0; k < opened->nb_streams; ++k) {
    if (static_cast<int>(k) != index) opened->streams[k]->discard = AVDISCARD_ALL;
  }

  reader->codec.reset(avcodec_alloc_context3(decoder));
  reader->packet.reset(av_packet_alloc());
  reader->decoded.reset(av_frame_alloc());
  if (!reader->codec || !reader->packet || !reader->decoded) {
    return cannotOpen(path, AVERROR(ENOMEM));
  }
  AVCodecContext* context = reader->codec.get();
  if (const int code = avcodec_parameters_to_context(context, stream->codecpar); code < 0) {
    return cannotOpen(path, code);
  }
  context->pkt_timebase = stream->time_base;
  context->thread_count = 0;  // one per core
  context->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
  if (const int code = avcodec_open2(context, decoder, nullptr); code < 0) {
    return cannotOpen(path, code);
  }
  return reader;
}

VideoDecoder::Outcome VideoDecoder::next() {
  for (;;) {
    const int code = avcodec_receive_frame(codec.get(), decoded.get());
    if (code == 0) return Outcome::Frame;
    if (code == AVERROR_EOF) return failure.empty() ? Outcome::End : Outcome::Failed;
    if (code != AVERROR(EAGAIN)) {
      failure = errorText(code);
      return Outcome::Failed;
    }
    if (!feed()) return Outcome::Failed;
  }
}

bool VideoDecoder::feed() {
  AVCodecContext* context = codec.get();
  if (draining) {
    // The codec asked for input after it was told the stream ended.
    if (failure.empty()) failure = errorText(AVERROR_BUG);
    return false;
  }
  for (;;) {
    const int read = av_read_frame(file.get(), packet.get());
    if (read < 0) {
      // The end of the file, or a file that cannot be read further: either
      // way the codec gives out the frames it still holds.
      if (read != AVERROR_EOF) failure = errorText(read);
      draining = true;
      avcodec_send_packet(context, nullptr);
      return true;
    }
    if (packet->stream_index != streamIndex) {
      av_packet_unref(packet.get());
      continue;
    }
    const int sent = avcodec_send_packet(context, packet.get());
    av_packet_unref(packet.get());
    // A damaged packet is dropped by the codec; its neighbours still decode.
    if (sent == AVERROR_INVALIDDATA) continue;
    if (sent < 0) {
      failure = errorText(sent);
      return false;
    }
    return true;
  }
}

bool VideoDecoder::seekBefore(std::int64_t timestamp) {
  if (av_seek_frame(file.get(), streamIndex, timestamp, AVSEEK_FLAG_BACKWARD) < 0) return false;
  avcodec_flush_buffers(codec.get());
  draining = false;
  failure.clear();
  return true;
}

std::optional<std::int64_t> VideoDecoder::keyFrameAtOrBefore(std::int64_t timestamp) const {
  const AVIndexEntry* entry = avformat_index_get_entry_from_timestamp(
      file->streams[streamIndex], timestamp, AVSEEK_FLAG_BACKWARD);
  if (entry == nullptr || (entry->flags & AVINDEX_KEYFRAME) == 0) return std::nullopt;
  return entry->timestamp;
}

}  // namespace stereolint::libav
