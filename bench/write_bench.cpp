// Benchmarks; filled in with the unit they measure.
