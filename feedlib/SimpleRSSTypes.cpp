#include "SimpleRSSTypes.h"

#include <algorithm>
#include <string_view>

#include "Exception.h"
#include "SimpleRSSConst.h"

namespace vantle {

namespace {

// Blanks and control characters, which alone do not make a required text.
bool IsBlankOrControl(char c) {
  return static_cast<unsigned char>(c) <= 0x20;
}

const std::string kTitleRequired(sTitleRequired);
const std::string kLinkRequired(sLinkRequired);
const std::string kDescriptionRequired(sDescriptionRequired);
const std::string kURLRequired(sURLRequired);

constexpr bool TRSSChannelSkipHours::*kHourFlags[24] = {
    &TRSSChannelSkipHours::h00, &TRSSChannelSkipHours::h01, &TRSSChannelSkipHours::h02,
    &TRSSChannelSkipHours::h03, &TRSSChannelSkipHours::h04, &TRSSChannelSkipHours::h05,
    &TRSSChannelSkipHours::h06, &TRSSChannelSkipHours::h07, &TRSSChannelSkipHours::h08,
    &TRSSChannelSkipHours::h09, &TRSSChannelSkipHours::h10, &TRSSChannelSkipHours::h11,
    &TRSSChannelSkipHours::h12, &TRSSChannelSkipHours::h13, &TRSSChannelSkipHours::h14,
    &TRSSChannelSkipHours::h15, &TRSSChannelSkipHours::h16, &TRSSChannelSkipHours::h17,
    &TRSSChannelSkipHours::h18, &TRSSChannelSkipHours::h19, &TRSSChannelSkipHours::h20,
    &TRSSChannelSkipHours::h21, &TRSSChannelSkipHours::h22, &TRSSChannelSkipHours::h23};

constexpr bool TRSSChannelSkipDays::*kDayFlags[7] = {
    &TRSSChannelSkipDays::Monday,   &TRSSChannelSkipDays::Tuesday, &TRSSChannelSkipDays::Wednesday,
    &TRSSChannelSkipDays::Thursday, &TRSSChannelSkipDays::Friday,  &TRSSChannelSkipDays::Saturday,
    &TRSSChannelSkipDays::Sunday};

void CheckIndex(int index, int count, std::string_view what) {
  if (index < 0 || index >= count)
    throw Exception(std::string(what) + " out of range: " + std::to_string(index));
}

}  // namespace

const std::string& RequiredText(const std::string& text, const std::string& placeholder) {
  return std::all_of(text.begin(), text.end(), IsBlankOrControl) ? placeholder : text;
}

const std::string& TRSSChannelReq::Title() const {
  return RequiredText(FTitle, kTitleRequired);
}
const std::string& TRSSChannelReq::Link() const {
  return RequiredText(FLink, kLinkRequired);
}
const std::string& TRSSChannelReq::Desc() const {
  return RequiredText(FDesc, kDescriptionRequired);
}

const std::string& TRSSImageReq::URL() const {
  return RequiredText(FURL, kURLRequired);
}
const std::string& TRSSImageReq::Title() const {
  return RequiredText(FTitle, kTitleRequired);
}
const std::string& TRSSImageReq::Link() const {
  return RequiredText(FLink, kLinkRequired);
}

void TRSSImageOpt::SetWidth(int32_t value) {
  FWidth = std::clamp(value, 0, 144);
}
void TRSSImageOpt::SetHeight(int32_t value) {
  FHeight = std::clamp(value, 0, 400);
}

bool& TRSSChannelSkipHours::Hour(int hour) {
  CheckIndex(hour, 24, "hour");
  return this->*kHourFlags[hour];
}

bool TRSSChannelSkipHours::Hour(int hour) const {
  CheckIndex(hour, 24, "hour");
  return this->*kHourFlags[hour];
}

bool& TRSSChannelSkipDays::Day(int day) {
  CheckIndex(day, 7, "day");
  return this->*kDayFlags[day];
}

bool TRSSChannelSkipDays::Day(int day) const {
  CheckIndex(day, 7, "day");
  return this->*kDayFlags[day];
}

TRSSChannelOpt::TRSSChannelOpt() : Docs(sDefaultDocs) {}

}  // namespace vantle
