# libFuzzer options shared by every run of the fuzz targets (sourced by the fuzz scripts).
# Inputs that run long (a large decoded block, a container of many blocks) get up to 30
# times less of the fuzzer's attention than quick ones, so the rate stays high while the
# slow paths are still visited.
fuzz_options=(-rss_limit_mb=2048 -entropic_scale_per_exec_time=1)
