"""The settings file: written at exit beside the executable, used at the next start."""
import os
import unittest

from harness import OUT_HEIGHT, OUT_WIDTH, GuiTest


class SettingsTest(GuiTest):
    def settings_path(self):
        return os.path.join(self.folder, "Vantle.ini")

    def read_settings_bytes(self):
        with open(self.settings_path(), "rb") as f:
            return f.read()

    def test_exit_writes_the_settings_and_the_next_start_uses_them(self):
        app = self.start()
        app.set(OUT_WIDTH, 640)
        app.set(OUT_HEIGHT, 480)
        self.assertEqual(app.close(), 0)
        data = self.read_settings_bytes()
        # 70 entries, format 1500, then 70 descriptors before the data area.
        self.assertEqual(data[:4], bytes([0x46, 0x00, 0xDC, 0x05]))
        self.assertGreaterEqual(len(data), 564)
        fields = self.settings_of(self.settings_path())
        for name, value in (("windowMaximized", "0"), ("windowLeft", "200"), ("windowTop", "100"),
                            ("windowWidth", "800"), ("windowHeight", "600"), ("trimWidth", "640"),
                            ("trimHeight", "480"), ("outputFormat", "2"), ("outputSubfolder", '"Output"')):
            self.assertEqual(fields.get(name), value, name)

        app = self.start()
        self.assertEqual((app.get(OUT_WIDTH), app.get(OUT_HEIGHT)), (640, 480))
        self.assertEqual(app.close(), 0)
        # Nothing changed in between, so the second save writes the same bytes.
        self.assertEqual(self.read_settings_bytes(), data)

    def test_saved_placement_is_used_inside_the_screen(self):
        # The screen is 1280 x 800 without a task bar; a window beyond it is moved back in.
        cases = [((300, 150, 700, 500), (300, 150, 1000, 650)),
                 ((5000, 3000, 800, 600), (480, 200, 1280, 800))]
        for (left, top, width, height), expected in cases:
            with self.subTest(placement=(left, top, width, height)):
                if os.path.exists(self.settings_path()):
                    os.remove(self.settings_path())
                app = self.start(settings=[f"windowLeft={left}", f"windowTop={top}", f"windowWidth={width}",
                                           f"windowHeight={height}"])
                self.assertEqual(app.window_rect(), expected)
                self.assertEqual(app.close(), 0)
                fields = self.settings_of(self.settings_path())
                self.assertEqual((fields["windowLeft"], fields["windowTop"], fields["windowWidth"],
                                  fields["windowHeight"]),
                                 tuple(str(v) for v in (expected[0], expected[1], expected[2] - expected[0],
                                                        expected[3] - expected[1])))


if __name__ == "__main__":
    unittest.main()
