// SPDX-License-Identifier: MIT
int main(void) { return 0; }
