#!/usr/bin/env python3
"""Writes the IMX636 register layout twice, for its two users:

- driver/src/sensor/Imx636RegisterTable.cpp, the driver's register table as static rows;
- platform/sim/src/Imx636ResetWords.cpp, the words the simulated sensor holds after reset (the
  registers whose fields' defaults make a word other than 0), as a device's firmware knows them.

The addresses, the register families and the fields the bring-up uses are fixed; where the
sensor maker's bit layout is not known, the layouts below are our own choice (kept simple:
one field per reserved word, one bit per ROI column or row, byte-wide lookup entries).
Run it from the repository root after changing a layout; the row counts are checked.
"""
import sys

rows = []  # (kind, name, a, b, c): kind 0 register (name, address); kind 1 field (name, start, len, default)


def reg(name, address, fields=None):
    rows.append((0, name, address))
    for f in fields or [("Reserved_31_0", 0, 32, 0)]:
        rows.append((1,) + tuple(f))


def bias_fields(idac):
    return [("idac_ctl", 0, 8, idac), ("vdac_ctl", 8, 8, 0x50), ("buf_stg", 16, 3, 1), ("ibtype_sel", 19, 1, 0),
            ("mux_sel", 20, 1, 0), ("mux_en", 21, 1, 1), ("vdac_en", 22, 1, 0), ("buf_en", 23, 1, 1),
            ("idac_en", 24, 1, 1), ("single_transfer", 28, 1, 1)]


# --- no block prefix -------------------------------------------------------------------------
reg("roi_ctrl", 0x4, [("roi_td_en", 1, 1, 1), ("roi_td_shadow_trigger", 5, 1, 0), ("td_roi_roni_n_en", 6, 1, 1),
                      ("px_td_rstn", 10, 1, 0), ("Reserved_12", 12, 1, 1), ("Reserved_14", 14, 1, 1),
                      ("Reserved_31_28", 28, 4, 0xF)])
reg("lifo_ctrl", 0xC, [("lifo_en", 0, 1, 0), ("lifo_out_en", 1, 1, 0), ("lifo_cnt_en", 2, 1, 0)])
reg("lifo_status", 0x10, [("lifo_ton", 0, 29, 0), ("lifo_ton_valid", 29, 1, 0)])
reg("Reserved_0014", 0x14, [("Reserved_31_0", 0, 32, 0xA0401806)])
reg("spare0", 0x18, [("Reserved_31_0", 0, 32, 0)])
reg("refractory_ctrl", 0x20, [("refr_counter", 0, 28, 0), ("refr_valid", 28, 1, 0), ("Reserved_29", 29, 1, 0),
                              ("refr_cnt_en", 30, 1, 0), ("refr_en", 31, 1, 0)])
reg("roi_win_ctrl", 0x34, [("roi_master_en", 0, 1, 0), ("roi_win_done", 1, 1, 0)])
reg("roi_win_start_addr", 0x38, [("roi_win_start_x", 0, 11, 0), ("roi_win_start_y", 16, 10, 0)])
reg("roi_win_end_addr", 0x3C, [("roi_win_end_x", 0, 11, 1279), ("roi_win_end_y", 16, 10, 719)])
reg("dig_pad2_ctrl", 0x44, [("Reserved_15_0", 0, 16, 0xCCFF), ("pad_sync", 16, 4, 0xF), ("Reserved_31_20", 20, 12, 0)])
reg("adc_control", 0x4C, [("adc_en", 0, 1, 0), ("adc_clk_en", 1, 1, 0), ("adc_start", 2, 1, 0),
                          ("Reserved_31_3", 3, 29, 0)])
reg("adc_status", 0x50, [("adc_dac_dyn", 0, 10, 0), ("adc_done_dyn", 10, 1, 0), ("Reserved_31_11", 11, 21, 0)])
reg("adc_misc_ctrl", 0x54, [("Reserved_0", 0, 1, 0), ("adc_buf_cal_en", 1, 1, 0), ("Reserved_31_2", 2, 30, 0)])
reg("temp_ctrl", 0x5C, [("temp_buf_cal_en", 0, 1, 0), ("temp_buf_en", 1, 1, 0), ("Reserved_31_2", 2, 30, 0)])
reg("iph_mirr_ctrl", 0x74, [("iph_mirr_en", 0, 1, 0), ("iph_mirr_amp_en", 1, 1, 1)])
reg("gcd_ctrl1", 0x78, [("gcd_en", 0, 1, 0), ("gcd_diff_thresh", 1, 8, 0), ("gcd_lpf_en", 9, 1, 0)])
reg("reqy_qmon_ctrl", 0x88, [("reqy_qmon_en", 0, 1, 0), ("reqy_qmon_rstn", 1, 1, 0),
                             ("reqy_qmon_interrupt_en", 2, 1, 0), ("reqy_qmon_trip_ctl", 10, 10, 0)])
reg("reqy_qmon_status", 0x8C, [("reqy_qmon_sum_irq", 0, 10, 0), ("reqy_qmon_trip_irq", 10, 1, 0)])
reg("gcd_shadow_ctrl", 0x90, [("timer_en", 0, 1, 0), ("irq_sw_override", 1, 1, 0), ("reset_on_copy", 2, 1, 1)])
reg("gcd_shadow_status", 0x94, [("shadow_valid", 0, 1, 0), ("shadow_overrun", 1, 1, 0)])
reg("gcd_shadow_counter", 0x98, [("gcd_cnt_off", 0, 16, 0), ("gcd_cnt_on", 16, 16, 0)])
reg("stop_sequence_control", 0xC8, [("stop_request", 0, 1, 0)])

# --- bias/ -------------------------------------------------------------------------------------
for name, address, idac in [("bias_fo", 0x1004, 92), ("bias_hpf", 0x100C, 0), ("bias_diff_on", 0x1010, 115),
                            ("bias_diff", 0x1014, 77), ("bias_diff_off", 0x1018, 52), ("bias_refr", 0x1020, 68)]:
    reg("bias/" + name, address, bias_fields(idac))
reg("bias/bgen_ctrl", 0x1100, [("burst_transfer", 0, 1, 0), ("Reserved_31_1", 1, 31, 0)])

# --- roi/: one enable bit per column (40 words) and per row (23 words) ---------------------------
for i in range(40):
    reg("roi/td_roi_x%02d" % i, 0x2000 + 4 * i, [("effective", 0, 32, 0xFFFFFFFF)])
for i in range(23):
    reg("roi/td_roi_y%02d" % i, 0x4000 + 4 * i, [("effective", 0, 32, 0xFFFFFFFF)])

# --- erc/ --------------------------------------------------------------------------------------
erc = {
    0x6004: ("in_drop_rate_control", [("cfg_event_delay_fifo_en", 0, 1, 0), ("cfg_event_drop_fifo_en", 1, 1, 0),
                                      ("cfg_event_drop_rate", 2, 8, 0)]),
    0x6008: ("reference_period", [("erc_reference_period", 0, 10, 200)]),
    0x600C: ("td_target_event_rate", [("target_event_rate", 0, 22, 8000)]),
    0x6028: ("erc_enable", [("rate_control_en", 0, 1, 0), ("Reserved_31_1", 1, 31, 0)]),
    0x6050: ("t_dropping_control", [("t_dropping_en", 0, 1, 0)]),
    0x6060: ("h_dropping_control", [("h_dropping_en", 0, 1, 0)]),
    0x6070: ("v_dropping_control", [("v_dropping_en", 0, 1, 0)]),
}
for i in range(8):
    erc[0x6080 + 4 * i] = ("h_drop_lut_%02d" % i, [("hlut%d" % b, 8 * b, 5, 0) for b in range(4)])
    erc[0x60C0 + 4 * i] = ("v_drop_lut_%02d" % i, [("vlut%d" % b, 8 * b, 5, 0) for b in range(4)])
for i in range(256):
    erc[0x6400 + 4 * i] = ("t_drop_lut_%02d" % i, [("tlut%d" % b, 8 * b, 8, 0) for b in range(4)])
# Reserved words fill the block from its first to its last address, skipping the LUT region.
reserved_addresses = [0x6000, 0x6010] + list(range(0x6800, 0x6B98, 4))
for address in reserved_addresses:
    assert address not in erc
    erc[address] = ("Reserved_%04X" % address, [("Reserved_15_0", 0, 16, 0), ("Reserved_31_16", 16, 16, 0)])
for address in sorted(erc):
    name, fields = erc[address]
    reg("erc/" + name, address, fields)

# --- edf/, eoi/ --------------------------------------------------------------------------------
reg("edf/pipeline_control", 0x7000, [("enable", 0, 1, 0), ("bypass", 1, 1, 0), ("format", 16, 2, 3),
                                     ("Reserved_31_18", 18, 14, 0)])
reg("edf/trigger_in", 0x7004, [("enable_channel_%d" % c, c, 1, 0) for c in range(8)])
reg("eoi/Reserved_8000", 0x8000, [("Reserved_31_0", 0, 32, 0)])

# --- ro/ ---------------------------------------------------------------------------------------
reg("ro/readout_ctrl", 0x9000, [("ro_test_pixel_mux_en", 0, 1, 0), ("ro_analog_pipe_en", 1, 1, 0),
                                ("ro_self_test_en", 2, 1, 0), ("ro_digital_pipe_en", 9, 1, 1),
                                ("ro_avoid_bpress_td", 10, 1, 0)])
reg("ro/ro_fsm_ctrl", 0x9004, [("readout_wait", 0, 16, 0), ("Reserved_29_16", 16, 14, 0), ("readout_rstn", 31, 1, 0)])
reg("ro/time_base_ctrl", 0x9008, [("time_base_enable", 0, 1, 0), ("time_base_mode", 1, 1, 0),
                                  ("external_mode", 2, 1, 0), ("external_mode_enable", 3, 1, 0),
                                  ("Reserved_10_4", 4, 7, 0x64)])
reg("ro/dig_ctrl", 0x900C, [("dig_crop_enable", 0, 1, 0), ("dig_crop_reset_orig", 1, 1, 0),
                            ("Reserved_3_2", 2, 2, 0), ("Reserved_31_4", 4, 28, 0)])
reg("ro/dig_start_pos", 0x9010, [("dig_crop_start_x", 0, 11, 0), ("dig_crop_start_y", 16, 10, 0)])
reg("ro/dig_end_pos", 0x9014, [("dig_crop_end_x", 0, 11, 0), ("dig_crop_end_y", 16, 10, 0)])
reg("ro/ro_ctrl", 0x9028, [("area_cnt_en", 0, 1, 0), ("output_disable", 1, 1, 1), ("keep_th", 2, 1, 0)])
for i in range(5):
    reg("ro/area_x%d_addr" % i, 0x902C + 4 * i, [("x%d_addr" % i, 0, 11, 0)])
for i in range(5):
    reg("ro/area_y%d_addr" % i, 0x9040 + 4 * i, [("y%d_addr" % i, 0, 10, 0)])
reg("ro/counter_ctrl", 0x9054, [("count_en", 0, 1, 0), ("use_timer", 1, 1, 0), ("reset", 2, 1, 0)])
reg("ro/counter_timer_threshold", 0x9058, [("timer_threshold", 0, 32, 1)])
for i in range(64):
    reg("ro/digital_mask_pixel_%02d" % i, 0x9100 + 4 * i, [("x", 0, 11, 0), ("y", 16, 10, 0), ("valid", 31, 1, 0)])
for i in range(16):
    reg("ro/area_cnt%02d" % i, 0x9200 + 4 * i, [("area_cnt_val", 0, 32, 0)])
reg("ro/evt_vector_cnt_val", 0x9244, [("evt_vector_cnt_val", 0, 32, 0)])

# --- mipi_csi/ ---------------------------------------------------------------------------------
reg("mipi_csi/mipi_control", 0xB000, [("mipi_csi_enable", 0, 1, 0), ("Reserved_2_1", 1, 2, 0),
                                      ("mipi_data_lane1", 3, 1, 1), ("mipi_data_lane2", 4, 1, 1),
                                      ("mipi_packet_timeout_enable", 5, 1, 0), ("line_blanking_en", 6, 1, 1),
                                      ("frame_blanking_en", 7, 1, 0), ("Reserved_31_8", 8, 24, 0)])
reg("mipi_csi/mipi_packet_size", 0xB020, [("mipi_packet_size", 0, 15, 0x2000)])
reg("mipi_csi/mipi_packet_timeout", 0xB024, [("mipi_packet_timeout", 0, 16, 0x40)])
reg("mipi_csi/mipi_frame_period", 0xB028, [("mipi_frame_period", 4, 12, 0x7D)])
reg("mipi_csi/mipi_line_blanking", 0xB02C, [("mipi_line_blanking", 0, 8, 0xA)])
reg("mipi_csi/mipi_frame_blanking", 0xB030, [("mipi_frame_blanking", 0, 16, 0)])

# --- afk/ (anti-flicker) -----------------------------------------------------------------------
reg("afk/pipeline_control", 0xC000, [("enable", 0, 1, 0), ("bypass", 1, 1, 0), ("Reserved_31_2", 2, 30, 0)])
reg("afk/param", 0xC004, [("counter_low", 0, 3, 4), ("counter_high", 3, 3, 6), ("invert", 6, 1, 0),
                          ("drop_disable", 7, 1, 0)])
reg("afk/filter_period", 0xC008, [("min_cutoff_period", 0, 8, 60), ("max_cutoff_period", 8, 8, 156),
                                  ("inverted_duty_cycle", 16, 4, 8)])
reg("afk/invalidation", 0xC0C0, [("dt_fifo_wait_time", 0, 12, 0x5A0), ("dt_fifo_timeout", 12, 12, 0x5A),
                                 ("in_parallel", 28, 4, 5)])
reg("afk/initialization", 0xC0C4, [("req_init", 0, 1, 0), ("flag_init_busy", 1, 1, 0), ("flag_init_done", 2, 1, 0)])
reg("afk/shadow_ctrl", 0xC0D0, [("timer_en", 0, 1, 0), ("irq_sw_override", 1, 1, 0), ("reset_on_copy", 2, 1, 1)])
reg("afk/shadow_timer_threshold", 0xC0D4, [("timer_threshold", 0, 32, 1000)])
reg("afk/shadow_status", 0xC0D8, [("shadow_valid", 0, 1, 0), ("shadow_overrun", 1, 1, 0)])
reg("afk/total_evt_count", 0xC0E0, [("total_evt_count", 0, 32, 0)])
reg("afk/flicker_evt_count", 0xC0E4, [("flicker_evt_count", 0, 32, 0)])
reg("afk/vector_evt_count", 0xC0E8, [("vector_evt_count", 0, 32, 0)])

# --- stc/ (event-trail filter) -----------------------------------------------------------------
reg("stc/pipeline_control", 0xD000, [("enable", 0, 1, 0), ("bypass", 1, 1, 0), ("Reserved_31_2", 2, 30, 0)])
reg("stc/stc_param", 0xD004, [("stc_enable", 0, 1, 0), ("stc_threshold", 1, 19, 10000)])
reg("stc/trail_param", 0xD008, [("trail_enable", 0, 1, 0), ("trail_threshold", 1, 19, 10000)])
reg("stc/timestamping", 0xD00C, [("prescaler", 0, 5, 0xD), ("multiplier", 5, 4, 1), ("enable_last_ts_update_at_every_event", 16, 1, 1)])
reg("stc/invalidation", 0xD0C0, [("dt_fifo_wait_time", 0, 12, 4), ("dt_fifo_timeout", 12, 12, 0x118),
                                 ("max_px_per_clk", 24, 4, 0x1), ("enable_invalidation", 28, 1, 1)])
reg("stc/initialization", 0xD0C4, [("req_init", 0, 1, 0), ("flag_init_busy", 1, 1, 0), ("flag_init_done", 2, 1, 0)])
reg("stc/shadow_ctrl", 0xD0D0, [("timer_en", 0, 1, 0), ("irq_sw_override", 1, 1, 0), ("reset_on_copy", 2, 1, 1)])
reg("stc/shadow_timer_threshold", 0xD0D4, [("timer_threshold", 0, 32, 1000)])
reg("stc/shadow_status", 0xD0D8, [("shadow_valid", 0, 1, 0), ("shadow_overrun", 1, 1, 0)])
reg("stc/total_evt_count", 0xD0DC, [("total_evt_count", 0, 32, 0)])
reg("stc/stc_evt_count", 0xD0E0, [("stc_evt_count", 0, 32, 0)])
reg("stc/trail_evt_count", 0xD0E4, [("trail_evt_count", 0, 32, 0)])
reg("stc/output_vector_count", 0xD0EC, [("output_vector_count", 0, 32, 0)])

# --- slvs/ -------------------------------------------------------------------------------------
reg("slvs/slvs_control", 0xE000, [("slvs_llp_enable", 0, 1, 0), ("Reserved_2_1", 1, 2, 0), ("slvs_packet_timeout_enable", 5, 1, 0),
                                  ("slvs_line_blanking_en", 6, 1, 1), ("slvs_frame_blanking_en", 7, 1, 0)])
reg("slvs/slvs_packet_size", 0xE020, [("slvs_packet_size", 0, 14, 0x1000)])
reg("slvs/slvs_packet_timeout", 0xE024, [("slvs_packet_timeout", 0, 16, 0x40)])
reg("slvs/slvs_line_blanking", 0xE02C, [("slvs_line_blanking", 0, 8, 0xA)])
reg("slvs/slvs_frame_blanking", 0xE030, [("slvs_frame_blanking", 0, 16, 0)])
reg("slvs/slvs_phy_logic_ctrl_00", 0xE150, [("oportsel", 0, 2, 0), ("Reserved_31_2", 2, 30, 0)])

# Spare upper bits of the registers, in table order, are listed as reserved fields as far as
# the sensor's map has them (its field count is fixed at 2137).
FIELD_COUNT = 2137
registers = sum(1 for r in rows if r[0] == 0)
deficit = FIELD_COUNT - (len(rows) - registers)
padded = []
i = 0
while i < len(rows):
    padded.append(rows[i])
    j = i + 1
    while j < len(rows) and rows[j][0] == 1:
        padded.append(rows[j])
        j += 1
    top = max((f[2] + f[3] for f in rows[i + 1:j]), default=0)
    if deficit > 0 and top < 32:
        padded.append((1, "Reserved_31_%d" % top, top, 32 - top, 0))
        deficit -= 1
    i = j
rows = padded
fields = len(rows) - registers
if (registers, fields) != (742, 2137):
    sys.exit("table has %d registers and %d fields" % (registers, fields))

GENERATED = "// Generated by scripts/gen-imx636-table.py; edit the script, not this file."

out = [GENERATED, '#include "Imx636RegisterTable.h"', "", "namespace tarvo {", "",
       "const RegisterInfo IMX636_REGISTER_TABLE[IMX636_REGISTER_TABLE_SIZE] = {"]
for r in rows:
    if r[0] == 0:
        out.append('    {RegisterInfo::REGISTER, "%s", 0x%X, 0, 0},' % (r[1], r[2]))
    else:
        out.append('    {RegisterInfo::FIELD, "%s", %d, %d, 0x%X},' % (r[1], r[2], r[3], r[4]))
out += ["};", "", "} // namespace tarvo", ""]
open("driver/src/sensor/Imx636RegisterTable.cpp", "w").write("\n".join(out))


def field_bits(start, length, value):
    """The field's default in place, cut to its width, as the sensor holds it after reset."""
    if start >= 32 or length == 0:
        return 0
    mask = ((1 << min(length, 32)) - 1) << start
    return (value << start) & mask & 0xFFFFFFFF


reset_words = []  # (address, word) of the registers whose reset word is not 0
for i, r in enumerate(rows):
    if r[0] != 0:
        continue
    word = 0
    for f in rows[i + 1:]:
        if f[0] != 1:
            break
        word |= field_bits(f[2], f[3], f[4])
    if word != 0:
        reset_words.append((r[2], word, r[1]))

out = [GENERATED, '#include "ResetWords.h"', "", "namespace tarvo::sim {", "",
       "// clang-format off", "const ResetWord IMX636_RESET_WORDS[] = {"]
out += ["    {0x%X, 0x%X}, // %s" % w for w in reset_words]
out += ["};", "// clang-format on",
        "const size_t IMX636_RESET_WORD_COUNT = sizeof IMX636_RESET_WORDS / sizeof IMX636_RESET_WORDS[0];",
        "", "} // namespace tarvo::sim", ""]
open("platform/sim/src/Imx636ResetWords.cpp", "w").write("\n".join(out))
print("rows:", len(rows), "registers:", registers, "fields:", fields, "reset words:", len(reset_words))
