// Reads weapon files the way the plugin's server does (SnakeYAML, YAML 1.1, safe construction, keys turned into
// text) and prints what it finds, so that tests can judge a weapons file by the plugin's own reader.
//
// Usage: java PluginReader CHARSET FILE...
// For each file, in order: "F" and the file's hex-encoded path; then either "E" and the hex-encoded error message,
// or one "L" line per leaf: the weapon's key, the dotted path below it and the value as text, each hex-encoded
// (UTF-8), separated by tabs. A value the reader gives as null is written as the text "null".

import java.nio.charset.Charset;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Paths;
import java.util.Map;

import org.yaml.snakeyaml.DumperOptions;
import org.yaml.snakeyaml.LoaderOptions;
import org.yaml.snakeyaml.Yaml;
import org.yaml.snakeyaml.constructor.SafeConstructor;
import org.yaml.snakeyaml.representer.Representer;

public final class PluginReader {
    private static final char[] HEX = "0123456789abcdef".toCharArray();

    private static String hex(String text) {
        byte[] bytes = text.getBytes(StandardCharsets.UTF_8);
        StringBuilder out = new StringBuilder(bytes.length * 2);
        for (byte b : bytes) {
            out.append(HEX[(b >> 4) & 0xF]).append(HEX[b & 0xF]);
        }
        return out.toString();
    }

    private static void leaves(StringBuilder out, String weapon, String path, Object value) {
        if (value instanceof Map) {
            for (Map.Entry<?, ?> entry : ((Map<?, ?>) value).entrySet()) {
                String key = String.valueOf(entry.getKey());
                leaves(out, weapon, path.isEmpty() ? key : path + "." + key, entry.getValue());
            }
            return;
        }
        out.append("L\t").append(hex(weapon)).append('\t').append(hex(path)).append('\t')
                .append(hex(String.valueOf(value))).append('\n');
    }

    public static void main(String[] args) throws Exception {
        Charset charset = Charset.forName(args[0]);
        LoaderOptions options = new LoaderOptions();
        options.setCodePointLimit(Integer.MAX_VALUE);
        options.setMaxAliasesForCollections(Integer.MAX_VALUE);
        StringBuilder out = new StringBuilder();
        for (int i = 1; i < args.length; ++i) {
            out.append("F\t").append(hex(args[i])).append('\n');
            byte[] bytes = Files.readAllBytes(Paths.get(args[i]));
            String text;
            if (bytes.length >= 3 && (bytes[0] & 0xFF) == 0xEF && (bytes[1] & 0xFF) == 0xBB
                    && (bytes[2] & 0xFF) == 0xBF) {
                text = new String(bytes, 3, bytes.length - 3, StandardCharsets.UTF_8);
            } else {
                text = new String(bytes, charset);
            }
            try {
                Yaml yaml = new Yaml(new SafeConstructor(options), new Representer(new DumperOptions()),
                        new DumperOptions(), options);
                Object root = yaml.load(text);
                if (root == null) {
                    continue;
                }
                if (!(root instanceof Map)) {
                    throw new IllegalStateException("Top level is not a Map.");
                }
                StringBuilder weapons = new StringBuilder();
                for (Map.Entry<?, ?> entry : ((Map<?, ?>) root).entrySet()) {
                    // The server turns every key into text before it looks at the weapon.
                    String weapon = entry.getKey().toString();
                    leaves(weapons, weapon, "", entry.getValue());
                }
                out.append(weapons);
            } catch (Exception error) {
                out.append("E\t").append(hex(error.getClass().getSimpleName() + ": " + error.getMessage())).append('\n');
            }
        }
        System.out.print(out);
        System.out.flush();
    }
}
