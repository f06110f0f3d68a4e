#include "forms/rules/address_walk.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct WalkCase;
std::string RowName(const ::testing::TestParamInfo<WalkCase>& row);

struct WalkCase {
  const char* name;
  IpBytes first;
  IpBytes last;
  std::size_t devices;
  std::vector<IpBytes> addresses;
};

void PrintTo(const WalkCase& row, std::ostream* out) { *out << row.name; }

class AddressWalk : public ::testing::TestWithParam<WalkCase> {};

TEST_P(AddressWalk, HandsOutUsableAddressesInOrder) {
  EXPECT_EQ(AddressesForDevices(GetParam().first, GetParam().last, GetParam().devices),
            GetParam().addresses);
}

INSTANTIATE_TEST_SUITE_P(
    Table, AddressWalk,
    ::testing::Values(
        WalkCase{"SkipsBroadcastAndNetwork",
                 {192, 168, 1, 254},
                 {192, 168, 2, 2},
                 3,
                 {{192, 168, 1, 254}, {192, 168, 2, 1}, {192, 168, 2, 2}}},
        WalkCase{"CarriesIntoSecondOctet",
                 {10, 1, 255, 254},
                 {10, 2, 0, 3},
                 4,
                 {{10, 1, 255, 254}, {10, 2, 0, 1}, {10, 2, 0, 2}, {10, 2, 0, 3}}},
        WalkCase{"StopsWhenEveryDeviceHasOne",
                 {10, 0, 0, 1},
                 {10, 0, 0, 200},
                 2,
                 {{10, 0, 0, 1}, {10, 0, 0, 2}}},
        WalkCase{"FewerAddressesThanDevices",
                 {192, 168, 1, 253},
                 {192, 168, 2, 1},
                 5,
                 {{192, 168, 1, 253}, {192, 168, 1, 254}, {192, 168, 2, 1}}},
        WalkCase{"EndBelowStart", {10, 0, 0, 9}, {10, 0, 0, 8}, 3, {}},
        WalkCase{"OrderIsUnsigned", {200, 1, 1, 1}, {10, 1, 1, 1}, 2, {}},
        WalkCase{"OnlyUnusableAddresses", {10, 0, 0, 255}, {10, 0, 1, 0}, 2, {}},
        WalkCase{"EndsAtTopOfAddressSpace",
                 {255, 255, 255, 250},
                 {255, 255, 255, 255},
                 9,
                 {{255, 255, 255, 250},
                  {255, 255, 255, 251},
                  {255, 255, 255, 252},
                  {255, 255, 255, 253},
                  {255, 255, 255, 254}}},
        WalkCase{
            "OneDeviceTakesFirstAsIs", {192, 168, 1, 20}, {0, 0, 0, 0}, 1, {{192, 168, 1, 20}}},
        WalkCase{"NoDevices", {10, 0, 0, 1}, {10, 0, 0, 9}, 0, {}}),
    RowName);

std::string RowName(const ::testing::TestParamInfo<WalkCase>& row) { return row.param.name; }

}  // namespace
