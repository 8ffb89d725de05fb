#include "Imx636Sequences.h"

#include <initializer_list>
#include <utility>

namespace tarvo {
namespace {

RegisterOperation write(uint32_t address, uint32_t value)
{
    return {RegisterOperation::WRITE, address, value, 0, 0};
}

RegisterOperation masked(uint32_t address, uint32_t value, uint32_t mask)
{
    return {RegisterOperation::MASKED_WRITE, address, value, mask, 0};
}

RegisterOperation wait(uint32_t count)
{
    return {RegisterOperation::WAIT, 0, 0, 0, count};
}

// Plain writes in order; an address of kWait turns the pair into a wait of `value` counts.
constexpr uint32_t kWait = 0xFFFFFFFF;

RegisterOperationList writes(std::initializer_list<std::pair<uint32_t, uint32_t>> steps)
{
    RegisterOperationList list;
    for (const auto& [address, value] : steps) {
        list.push_back(address == kWait ? wait(value) : write(address, value));
    }
    return list;
}

} // namespace

const RegisterOperationList& imx636StopSequence()
{
    static const RegisterOperationList sequence = {
        masked(0x4, 0xF0005042, 0x400), // roi_ctrl: clear px_td_rstn
        write(0x2C, 0x22C324),
        write(0x9028, 0x2), // ro/ro_ctrl: output_disable
        wait(1000),
        masked(0x9008, 0x644, 0x1), // ro/time_base_ctrl: clear time_base_enable
        write(0xB000, 0x2F8),       // mipi_csi/mipi_control
        wait(300),
    };
    return sequence;
}

const RegisterOperationList& imx636StartSequence()
{
    static const RegisterOperationList sequence = {
        write(0xB000, 0x2F9),       write(0x9028, 0x0),
        masked(0x9008, 0x645, 0x1),                                 // set time_base_enable
        write(0x2C, 0x22C724),      masked(0x4, 0xF0005442, 0x400), // set px_td_rstn
    };
    return sequence;
}

const RegisterOperationList& imx636PowerUpSequence()
{
    static const RegisterOperationList sequence = writes({
        {0x70, 0x400008},  {0x6C, 0x0EE47114}, {kWait, 500},      {0xA00C, 0x20400}, {kWait, 500},
        {0xA010, 0x8068},  {kWait, 200},       {0x1104, 0x0},     {kWait, 200},      {0xA020, 0x50},
        {kWait, 200},      {0xA004, 0xB0500},  {kWait, 200},      {0xA008, 0x2404},  {kWait, 200},
        {0xA000, 0xB0500}, {0xB044, 0x0},      {0xB004, 0xA},     {0xB040, 0xE},     {0xB0C8, 0x0},
        {0xB040, 0x6},     {0xB040, 0x4},      {0x0, 0x4F006442}, {0x0, 0x0F006442}, {0xB8, 0x401},
        {0xB8, 0x400},     {0xB07C, 0x0},
    });
    return sequence;
}

const RegisterOperationList& imx636ConfigurationSequence()
{
    static const RegisterOperationList sequence = writes({
        {0x1C, 0x1},       {kWait, 1000000}, {0x400004, 0x1},      {kWait, 500000},   {0x400004, 0x0},
        {kWait, 1000000},  {0xB000, 0x158},  {kWait, 300},         {0xB044, 0x0},     {0xB004, 0xA},
        {0xB040, 0x0},     {0xB0C8, 0x0},    {0xB040, 0x0},        {0xB040, 0x0},     {0x0, 0x4F006442},
        {0x0, 0x0F006442}, {0xB8, 0x400},    {0xB8, 0x400},        {0xB07C, 0x0},     {0xB074, 0x2},
        {0xB078, 0xA0},    {0xC0, 0x110},    {0xC0, 0x210},        {0xB120, 0x1},     {0xE120, 0x0},
        {0xB068, 0x4},     {0xB07C, 0x1},    {kWait, 10},          {0xB07C, 0x3},     {kWait, 1000},
        {0xB8, 0x401},     {0xB8, 0x409},    {0x0, 0x4F006442},    {0x0, 0x4F00644A}, {0xB080, 0x77},
        {0xB084, 0xF},     {0xB088, 0x37},   {0xB08C, 0x37},       {0xB090, 0xDF},    {0xB094, 0x57},
        {0xB098, 0x37},    {0xB09C, 0x67},   {0xB0A0, 0x37},       {0xB0A4, 0x2F},    {0xB0AC, 0x28},
        {0xB0CC, 0x1},     {0xB000, 0x2F8},  {0xB004, 0x8A},       {0xB01C, 0x30},    {0xB020, 0x2000},
        {0xB02C, 0xFF},    {0xB030, 0x3E80}, {0xB028, 0xFA0},      {0xA000, 0xB0501}, {kWait, 200},
        {0xA008, 0x2405},  {kWait, 200},     {0xA004, 0xB0501},    {kWait, 200},      {0xA020, 0x150},
        {kWait, 200},      {0xB040, 0x7},    {0xB064, 0x6},        {0xB040, 0xF},     {kWait, 100},
        {0xB004, 0x8A},    {kWait, 200},     {0xB0C8, 0x3},        {kWait, 200},      {0xB044, 0x1},
        {0xB000, 0x2F9},   {0x7008, 0x1},    {0x7000, 0x70001},    {0x8000, 0x1E085}, {0x9008, 0x644},
        {0x4, 0xF0005042}, {0x18, 0x200},    {0x1014, 0x11A1504D}, {0x9004, 0x0},     {kWait, 1000},
        {0x9000, 0x200},
    });
    return sequence;
}

} // namespace tarvo
