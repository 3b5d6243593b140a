// Tests of this unit are being written.
