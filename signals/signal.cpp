#include "twinkel/signals.h"

#include <utility>

Signal::Signal(std::string name) : name_(std::move(name)) {}
Signal::Signal(const Signal& other) = default;
Signal& Signal::operator=(const Signal& other) = default;
Signal::~Signal() = default;

std::string Signal::get_name() { return name_; }
void Signal::set_name(const std::string& name) { name_ = name; }

void Signal::add_params(int64_t value) { params_.int_params.push_back(value); }
void Signal::add_params(float value) { params_.float_params.push_back(value); }
void Signal::add_params(std::string value) { params_.string_params.push_back(std::move(value)); }

void Signal::add_params(std::vector<int32_t> values) {
  params_.int_params.insert(params_.int_params.end(), values.begin(), values.end());
}
void Signal::add_params(std::vector<int64_t> values) { params_.int_params = std::move(values); }
void Signal::add_params(std::vector<float> values) { params_.float_params = std::move(values); }

void Signal::clear_params() {
  params_.int_params.clear();
  params_.float_params.clear();
  params_.string_params.clear();
}

void Signal::set_params(const SlotArgs& params) { params_ = params; }

bool Signal::rise() { return rise_signal(name_, &params_); }

SlotAssert::SlotAssert(std::string first, std::string second)
    : first(std::move(first)), second(std::move(second)) {}
SlotAssert::SlotAssert(const SlotAssert& other) = default;
SlotAssert& SlotAssert::operator=(const SlotAssert& other) = default;
SlotAssert::~SlotAssert() = default;
