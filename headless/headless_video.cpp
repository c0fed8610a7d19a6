#include "headless_video.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "carrow/config.h"
#include "tarnvale/diagnostics.h"
#include "tarnvale/number_limits.h"
#include "tarnvale/quoted.h"
#include "tessim/time.h"

namespace {

bool whole_number(const std::string& text, long* value) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  *value = std::strtol(text.c_str(), &end, 10);
  return errno == 0 && *end == '\0';
}

bool finite_number(const std::string& text, double* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  *value = std::strtod(text.c_str(), &end);
  return *end == '\0' && std::isfinite(*value);
}

std::string fixed(double value) {
  char text[32];
  std::snprintf(text, sizeof(text), "%.4f", value);
  // "-0.0000" and "0.0000" are the same place.
  return std::string(text) == "-0.0000" ? "0.0000" : text;
}

}  // namespace

void HeadlessSurface::_update() {
  hashed_ = false;
  pixels_->dirty = false;
}

unsigned HeadlessSurface::checksum() {
  // Taken at the first question after an upload: a surface sharing a picture's pixels was never
  // uploaded itself.
  if (hashed_) return checksum_;
  unsigned hash = 2166136261u;
  const int row_bytes = width_ * bpp_;
  for (int row = 0; row < height_; ++row) {
    const unsigned char* pixel = pixels_->data.data() + static_cast<size_t>(row) * _get_pitch();
    for (int i = 0; i < row_bytes; ++i) hash = (hash ^ pixel[i]) * 16777619u;
  }
  checksum_ = hash;
  hashed_ = true;
  return checksum_;
}

HeadlessSettings read_headless_settings(Config_Interface* config, const std::string& config_name,
                                        const std::string& prefix) {
  HeadlessSettings s;
  double frames = 0;
  tarnvale::read_number(config, prefix + "Frames", *tarnvale::find_number_limit("Video->Frames"),
                        config_name, &frames);
  s.frames = static_cast<long>(frames);
  s.input_file = config->get_value(prefix + "InputFile", "");
  s.trace_file = config->get_value(prefix + "TraceFile", "");
  s.replay_file = config->get_value(prefix + "ReplayFile", "");
  return s;
}

bool read_input_script(const std::string& path, std::vector<ScriptedInput>* events,
                       std::string* error) {
  std::ifstream in(path);
  if (!in) {
    *error = path + ": cannot read the input file";
    return false;
  }
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    std::istringstream fields(line);
    std::vector<std::string> words;
    for (std::string word; fields >> word;) words.push_back(word);
    if (words.empty() || words[0][0] == '#') continue;
    auto fail = [&](const std::string& problem) {
      *error = path + ":" + std::to_string(number) + ": " + problem;
      return false;
    };
    ScriptedInput input;
    if (!whole_number(words[0], &input.frame) || input.frame < 0)
      return fail("the frame " + tarnvale::quoted(words[0]) + " is not a whole number of 0 or more");
    if (words.size() < 2) return fail("no event after the frame");
    EVENT_TYPE type = NO_EVENT;
    if (!event_type_named(words[1], &type)) return fail("unknown event " + tarnvale::quoted(words[1]));
    if (words.size() > 5) return fail("more than FRAME EVENT X Y VALUE");
    double x = 0, y = 0;
    if (words.size() == 3) return fail("an x without a y");
    if (words.size() >= 4 && (!finite_number(words[2], &x) || !finite_number(words[3], &y)))
      return fail("the position " + tarnvale::quoted(words[2] + " " + words[3]) + " is not two numbers");
    const bool button_event = type == MOUSE_PRESS || type == MOUSE_RELEASE;
    long value = button_event ? MOUSE_BUTTON_LEFT : 0;
    if (words.size() == 5 && !whole_number(words[4], &value))
      return fail("the value " + tarnvale::quoted(words[4]) + " is not a whole number");
    input.event.type = type;
    switch (type) {
      case KEYBOARD_PRESS:
      case KEYBOARD_RELEASE: input.event.key = static_cast<int>(value); break;
      case CHARACTER: input.event.character = static_cast<int>(value); break;
      case MOUSE_PRESS:
      case MOUSE_RELEASE:
      case MOUSE_MOVE:
        input.event.x = static_cast<float>(x);
        input.event.y = static_cast<float>(y);
        input.event.buttons = static_cast<int>(value);
        break;
      default: break;
    }
    events->push_back(input);
  }
  return true;
}

Headless_Video::Headless_Video(std::string config_name, std::string prefix)
    : StoredVideo(std::move(config_name), std::move(prefix)) {}

Headless_Video::~Headless_Video() { _deinit(); }

double Headless_Video::frame_seconds() const {
  // In the limit's own precision: a stopwatch compared with a float step of 1 / 60 must see a
  // whole step after one frame.
  const float fps = settings_.limit_fps > 0 ? settings_.limit_fps : 60.0f;
  return 1.0f / fps;
}

bool Headless_Video::_init() {
  if (!read_settings()) return false;
  if (!check_window_size()) return false;
  headless_ = read_headless_settings(config_get_interface(config_name_), config_name_, prefix_);
  if (!headless_.input_file.empty()) {
    std::vector<ScriptedInput> events;
    if (!read_input_script(headless_.input_file, &events, &error_)) return false;
    for (const ScriptedInput& input : events)
      scheduled_[input.frame].push_back({input.event, Source::script});
  }
  if (!headless_.replay_file.empty()) {
    Replay replay;
    if (!read_replay(headless_.replay_file, &replay, &error_)) return false;
    for (const ReplayEvent& recorded : replay.events)
      scheduled_[recorded.frame].push_back({recorded.event, Source::recording});
    for (long micros : replay.frame_micros) recorded_seconds_.push_back(replay_seconds(micros));
    replaying_ = true;
  }
  if (!headless_.trace_file.empty()) {
    trace_.open(headless_.trace_file, std::ios::out | std::ios::trunc);
    if (!trace_) {
      error_ = "Can't write the trace file " + headless_.trace_file;
      return false;
    }
  }
  if (!Time::stepped_clock_in_use()) {
    Time::use_stepped_clock();
    owns_clock_ = true;
  }
  tarnvale::Diagnostic started;
  started.severity = tarnvale::Severity::info;
  started.text = "Headless video " + std::to_string(settings_.width) + "x" + std::to_string(settings_.height);
  if (headless_.frames > 0) started.text += ", " + std::to_string(headless_.frames) + " frames";
  tarnvale::report(started);
  // Events for frame 0 are there before the first frame ends.
  auto due = scheduled_.find(0);
  if (due != scheduled_.end()) {
    for (const Pending& pending : due->second) deliver(pending);
    scheduled_.erase(due);
  }
  return true;
}

bool Headless_Video::_deinit() {
  release_everything();
  if (trace_.is_open()) trace_.close();
  if (owns_clock_) Time::use_real_clock();
  owns_clock_ = false;
  return true;
}

void Headless_Video::reset() {
  release_everything();
  scheduled_.clear();
  recorded_seconds_.clear();
  replaying_ = false;
  events_.clear();
  last_frame_.clear();
  frames_ = 0;
  mouse_visible_ = true;
  pointer_x_ = pointer_y_ = 0;
  buttons_held_ = 0;
}

void Headless_Video::schedule(long frame, const Event& event) {
  scheduled_[frame].push_back({event, Source::code});
}

void Headless_Video::deliver(const Pending& pending) {
  const Event& event = pending.event;
  const bool pointer =
      event.type == MOUSE_PRESS || event.type == MOUSE_RELEASE || event.type == MOUSE_MOVE;
  if (!pointer || pending.source == Source::code) {
    queue_event(event);
    return;
  }
  pointer_x_ = event.x;
  pointer_y_ = event.y;
  if (event.type == MOUSE_PRESS) buttons_held_ |= event.buttons;
  if (event.type == MOUSE_RELEASE) buttons_held_ &= ~event.buttons;
  if (pending.source == Source::recording)
    queue_event(event);
  else
    queue_event(pointer_event(event.type, event.x, event.y, event.buttons));
}

void Headless_Video::_flip() {
  queue_cursor_sprite();
  record_frame();
  clear_queues();
  const size_t recorded = recorded_seconds_.size();
  Time::advance_stepped_clock(static_cast<size_t>(frames_) < recorded ? recorded_seconds_[frames_]
                                                                       : frame_seconds());
  ++frames_;
  auto due = scheduled_.find(frames_);
  if (due != scheduled_.end()) {
    for (const Pending& pending : due->second) deliver(pending);
    scheduled_.erase(due);
  }
  // A replay ends where its recording ended: the last recorded frame is drawn, then it quits.
  const bool replay_over = replaying_ && static_cast<size_t>(frames_) == recorded + 1;
  if ((headless_.frames > 0 && frames_ == headless_.frames) || replay_over) {
    Event quit;
    quit.type = QUIT;
    queue_event(quit);
  }
}

// Walks the queues in drawing order; with a trace file, writes them:
//   frame N
//   particles under|over GROUP NAME COUNT: X,Y X,Y ...
//   surface GROUP NAME WIDTHxHEIGHT CHECKSUM
//     sprite GROUP NAME X Y [base BX BY] [scale SX SY] [turn DEGREES] [alpha A] [colour R G B]
//   polygon X,Y X,Y ...
void Headless_Video::record_frame() {
  last_frame_.clear();
  const bool tracing = trace_.is_open();
  if (tracing) trace_ << "frame " << frames_ + 1 << '\n';
  trace_particles("under", particles_under_);
  for_each_sprite_batch([&](Video_Surface& surface, const std::vector<Video_Sprite*>& sprites) {
    // Uploaded when dirty, as the OpenGL driver does before it binds the texture.
    if (surface._is_dirty()) surface._update();
    if (tracing && !sprites.empty()) {
      const Video_Sprite& first = *sprites.front();
      char checksum[16] = "";
      if (auto* kept = dynamic_cast<HeadlessSurface*>(&surface))
        std::snprintf(checksum, sizeof(checksum), " %08x", kept->checksum());
      trace_ << "surface " << first._get_surface_group() << ' ' << first._get_surface_name() << ' '
             << surface._get_width() << 'x' << surface._get_height() << checksum << '\n';
    }
    for (Video_Sprite* s : sprites) {
      last_frame_.emplace_back(s->_get_group(), s->_get_name());
      if (!tracing) continue;
      trace_ << "  sprite " << s->_get_group() << ' ' << s->_get_name() << ' ' << fixed(s->_get_x())
             << ' ' << fixed(s->_get_y());
      if (s->_get_base_x() != 0 || s->_get_base_y() != 0)
        trace_ << " base " << fixed(s->_get_base_x()) << ' ' << fixed(s->_get_base_y());
      if (s->_get_scale_x() != 1 || s->_get_scale_y() != 1)
        trace_ << " scale " << fixed(s->_get_scale_x()) << ' ' << fixed(s->_get_scale_y());
      if (s->_get_rotation() != 0) trace_ << " turn " << fixed(s->_get_rotation() * 180 / M_PI);
      if (s->_get_alpha() != 1) trace_ << " alpha " << fixed(s->_get_alpha());
      if (s->_get_blend_r() != 1 || s->_get_blend_g() != 1 || s->_get_blend_b() != 1)
        trace_ << " colour " << fixed(s->_get_blend_r()) << ' ' << fixed(s->_get_blend_g()) << ' '
               << fixed(s->_get_blend_b());
      trace_ << '\n';
    }
  });
  trace_particles("over", particles_over_);
  if (!tracing) return;
  for (const std::vector<VideoPoint>& polygon : polygons_) {
    trace_ << "polygon";
    for (const VideoPoint& p : polygon) trace_ << ' ' << fixed(p.x) << ',' << fixed(p.y);
    trace_ << '\n';
  }
  trace_.flush();
}

void Headless_Video::trace_particles(const char* where, const std::vector<StoredParticles*>& queue) {
  if (!trace_.is_open()) return;
  for (StoredParticles* set : queue) {
    trace_ << "particles " << where << ' ' << set->group() << ' ' << set->name() << ' '
           << set->count() << ':';
    for (int i = 0; i < set->count(); ++i) {
      float x = 0, y = 0;
      set->_get_particle(i, &x, &y, nullptr, nullptr, nullptr, nullptr);
      trace_ << ' ' << fixed(x) << ',' << fixed(y);
    }
    trace_ << '\n';
  }
}

void Headless_Video::_get_mouse_position(double* x, double* y) {
  if (x) *x = pointer_x_;
  if (y) *y = pointer_y_;
}

void Headless_Video::_get_mouse_position(int* x, int* y) {
  // Pixels from the window's centre, y growing downwards, as the OpenGL driver counts them.
  if (x) *x = static_cast<int>(std::lround(pointer_x_ * settings_.width * 0.5));
  if (y) *y = static_cast<int>(std::lround(-pointer_y_ * settings_.height * 0.5));
}

void Headless_Video::_get_mouse_button_state(MOUSE_BUTTON* button, EVENT_TYPE* state) {
  if (state == nullptr) return;
  int bit = MOUSE_BUTTON_LEFT;
  if (button != nullptr && (*button == MOUSE_BUTTON_RIGHT || *button == MOUSE_BUTTON_MIDDLE))
    bit = *button;
  *state = (buttons_held_ & bit) != 0 ? MOUSE_PRESS : MOUSE_RELEASE;
}
