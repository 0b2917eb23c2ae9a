#pragma once
// The star profile (1 + u q)^(-1/u) (exp(-q) at u = 0) and its derivatives by q and u over many
// points at once: the exponentials of the fits, computed a vector at a time.
void starProfile(const float* q, int n, float u, float* f, float* dfdq, float* dfdu);
