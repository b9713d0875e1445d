package com.quorv.maven;

import java.io.ByteArrayOutputStream;
import java.io.File;
import java.io.IOException;
import java.io.InputStream;
import java.io.OutputStream;
import java.nio.charset.Charset;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.StandardCopyOption;
import java.util.ArrayList;
import java.util.HashSet;
import java.util.List;
import java.util.Locale;
import java.util.Map;
import java.util.Set;
import java.util.TreeMap;
import java.util.regex.Pattern;

import org.apache.maven.artifact.Artifact;
import org.apache.maven.plugin.AbstractMojo;
import org.apache.maven.plugin.MojoExecutionException;
import org.apache.maven.plugin.MojoFailureException;
import org.apache.maven.plugins.annotations.Component;
import org.apache.maven.plugins.annotations.LifecyclePhase;
import org.apache.maven.plugins.annotations.Mojo;
import org.apache.maven.plugins.annotations.Parameter;
import org.apache.maven.plugins.annotations.ResolutionScope;
import org.apache.maven.project.MavenProject;
import org.apache.maven.project.MavenProjectHelper;

/**
 * Packs the project into a quorv service executable: runs {@code quorv-pack build} on the
 * project's configuration with the project's jar and its runtime dependencies as included files,
 * and attaches the executable to the build (type {@code exe}). With {@code <msi>true</msi>} it also
 * runs {@code quorv-pack msi} and attaches the Windows Installer package (type {@code msi}); the
 * configuration then needs an {@code [installer]} table with its upgrade code, and the build
 * machine wixl (Linux) or WiX's wix (Windows).
 *
 * <p>The configuration is the project's {@code quorv.toml}, or the {@code settings} of the
 * plugin's configuration when the project has none. The plugin writes it, with a {@code [[files]]}
 * entry per jar added at its end, to {@code target/quorv/quorv.toml}; relative paths in it stay
 * relative to the directory of the original file (the project's directory for settings).
 *
 * <p>The packer, the launcher and the runtime archive come from {@code quorvHome} when it is set,
 * else from the plugin's own jar, which carries them when it was built with them.
 */
@Mojo(name = "pack", defaultPhase = LifecyclePhase.PACKAGE, requiresDependencyResolution = ResolutionScope.RUNTIME,
        threadSafe = true)
public final class PackMojo extends AbstractMojo {

    private static final String TOOLS_RESOURCE = "com/quorv/maven/tools/";
    private static final String LAUNCHER = "quorv-launcher.exe";
    private static final String RUNTIME = "quorv-runtime.jar";
    private static final Pattern TOML_NUMBER = Pattern.compile("[+-]?[0-9]+");

    @Parameter(defaultValue = "${project}", readonly = true, required = true)
    private MavenProject project;

    @Component
    private MavenProjectHelper projectHelper;

    /** The configuration file. */
    @Parameter(property = "quorv.config", defaultValue = "${project.basedir}/quorv.toml")
    private File config;

    /**
     * Settings by their dotted names ({@code <service.name>echo</service.name>}), used when the
     * project has no configuration file. A value is written as it stands when it is TOML of its own
     * (true, false, a whole number, or text that begins with a quote, "[" or "{"), else as a string.
     */
    @Parameter
    private Map<String, String> settings;

    /** Directory with quorv-pack (quorv-pack.exe on Windows), quorv-launcher.exe and quorv-runtime.jar. */
    @Parameter(property = "quorv.home")
    private File quorvHome;

    /** The service executable to write. */
    @Parameter(property = "quorv.output", defaultValue = "${project.build.directory}/${project.build.finalName}.exe")
    private File output;

    /** Classifier of the attached executable; none by default. */
    @Parameter(property = "quorv.classifier")
    private String classifier;

    /** Include the project's runtime dependencies (scopes compile and runtime) beside its jar. */
    @Parameter(property = "quorv.includeDependencies", defaultValue = "true")
    private boolean includeDependencies;

    /** Also build the Windows Installer package of the service (quorv-pack msi). */
    @Parameter(property = "quorv.msi", defaultValue = "false")
    private boolean msi;

    /** The package to write when {@code msi} is set. */
    @Parameter(property = "quorv.msiOutput", defaultValue = "${project.build.directory}/${project.build.finalName}.msi")
    private File msiOutput;

    /** Skip packing. */
    @Parameter(property = "quorv.skip", defaultValue = "false")
    private boolean skip;

    @Override
    public void execute() throws MojoExecutionException, MojoFailureException {
        if (skip) {
            getLog().info("quorv: packing skipped");
            return;
        }
        File work = new File(project.getBuild().getDirectory(), "quorv");
        boolean hasFile = config != null && config.isFile();
        boolean hasSettings = settings != null && !settings.isEmpty();
        if (hasFile && hasSettings) {
            throw new MojoFailureException("quorv: both " + config + " and <settings> configure the service;"
                    + " keep one of them");
        }
        if (!hasFile && !hasSettings) {
            throw new MojoFailureException("quorv: no configuration: " + config + " does not exist and the"
                    + " plugin has no <settings>");
        }
        try {
            String text = hasFile ? new String(Files.readAllBytes(config.toPath()), StandardCharsets.UTF_8)
                    : settingsToml(settings);
            File generated = new File(work, "quorv.toml");
            writeText(generated, withIncludedFiles(text, includedFiles()));
            File baseDir = hasFile ? config.getAbsoluteFile().getParentFile() : project.getBasedir();

            String packName = isWindows() ? "quorv-pack.exe" : "quorv-pack";
            File pack = tool(packName, work);
            File launcher = tool(LAUNCHER, work);
            File runtime = tool(RUNTIME, work);
            if (!pack.canExecute() && !pack.setExecutable(true)) {
                throw new MojoExecutionException("quorv: cannot make " + pack + " executable");
            }
            run(packCommand(pack, "build", generated, output, launcher, runtime, baseDir));
            if (msi) {
                run(packCommand(pack, "msi", generated, msiOutput, launcher, runtime, baseDir));
            }
        } catch (IOException e) {
            throw new MojoExecutionException("quorv: " + e.getMessage(), e);
        }
        attach("exe", output);
        getLog().info("quorv: packed " + output);
        if (msi) {
            attach("msi", msiOutput);
            getLog().info("quorv: packed " + msiOutput);
        }
    }

    /** A command of quorv-pack that writes {@code target} from the generated configuration. */
    private static List<String> packCommand(File pack, String word, File generated, File target, File launcher,
            File runtime, File baseDir) throws MojoExecutionException {
        File parent = target.getAbsoluteFile().getParentFile();
        if (parent != null && !parent.isDirectory() && !parent.mkdirs()) {
            throw new MojoExecutionException("quorv: cannot create " + parent);
        }
        List<String> command = new ArrayList<String>();
        command.add(pack.getAbsolutePath());
        command.add(word);
        command.add(generated.getAbsolutePath());
        command.add("-o");
        command.add(target.getAbsolutePath());
        command.add("--launcher");
        command.add(launcher.getAbsolutePath());
        command.add("--runtime");
        command.add(runtime.getAbsolutePath());
        command.add("--base-dir");
        command.add(baseDir.getAbsolutePath());
        return command;
    }

    private void attach(String type, File file) {
        if (classifier == null || classifier.isEmpty()) {
            projectHelper.attachArtifact(project, type, file);
        } else {
            projectHelper.attachArtifact(project, type, classifier, file);
        }
    }

    /** The project's jar and its runtime dependencies, as included-file targets to sources. */
    private Map<String, File> includedFiles() throws MojoExecutionException {
        Map<String, File> files = new TreeMap<String, File>(String.CASE_INSENSITIVE_ORDER);
        File jar = project.getArtifact().getFile();
        if (jar == null || !jar.isFile()) {
            throw new MojoExecutionException("quorv: the project's jar is not built yet; quorv:pack runs in the"
                    + " package phase after the jar plugin (packaging \"jar\")");
        }
        files.put(jar.getName(), jar);
        if (!includeDependencies) {
            return files;
        }
        Set<String> names = new HashSet<String>();
        for (Artifact artifact : project.getArtifacts()) {
            String scope = artifact.getScope();
            boolean runtimeScope = Artifact.SCOPE_COMPILE.equals(scope) || Artifact.SCOPE_RUNTIME.equals(scope);
            File file = artifact.getFile();
            if (!runtimeScope || file == null || !file.isFile() || !"jar".equals(artifact.getType())) {
                continue;
            }
            String name = file.getName();
            if (files.containsKey(name) || !names.add(name.toLowerCase(Locale.ROOT))) {
                name = artifact.getGroupId() + "-" + name;
            }
            files.put(name, file);
        }
        return files;
    }

    /** The configuration text with one [[files]] entry per jar at its end. */
    static String withIncludedFiles(String text, Map<String, File> files) {
        StringBuilder out = new StringBuilder(text);
        if (out.length() > 0 && out.charAt(out.length() - 1) != '\n') {
            out.append('\n');
        }
        out.append("\n# Added by quorv-maven-plugin: the project's jar and its runtime dependencies.\n");
        for (Map.Entry<String, File> file : files.entrySet()) {
            out.append("[[files]]\nsource = ").append(tomlString(file.getValue().getAbsolutePath()))
                    .append("\ntarget = ").append(tomlString(file.getKey())).append('\n');
        }
        return out.toString();
    }

    /** Settings by dotted name as a TOML document: top-level keys first, then one table each. */
    static String settingsToml(Map<String, String> settings) {
        Map<String, Map<String, String>> tables = new TreeMap<String, Map<String, String>>();
        for (Map.Entry<String, String> setting : settings.entrySet()) {
            String name = setting.getKey().trim();
            int dot = name.lastIndexOf('.');
            String table = dot < 0 ? "" : name.substring(0, dot);
            Map<String, String> keys = tables.get(table);
            if (keys == null) {
                keys = new TreeMap<String, String>();
                tables.put(table, keys);
            }
            keys.put(name.substring(dot + 1), tomlValue(setting.getValue()));
        }
        StringBuilder out = new StringBuilder("# Written by quorv-maven-plugin from the plugin's <settings>.\n");
        for (Map.Entry<String, Map<String, String>> table : tables.entrySet()) {
            if (!table.getKey().isEmpty()) {
                out.append("\n[").append(table.getKey()).append("]\n");
            }
            for (Map.Entry<String, String> key : table.getValue().entrySet()) {
                out.append(tomlKey(key.getKey())).append(" = ").append(key.getValue()).append('\n');
            }
        }
        return out.toString();
    }

    static String tomlValue(String value) {
        String text = value == null ? "" : value.trim();
        if (text.equals("true") || text.equals("false") || TOML_NUMBER.matcher(text).matches()) {
            return text;
        }
        if (!text.isEmpty() && "\"'[{".indexOf(text.charAt(0)) >= 0) {
            return text;
        }
        return tomlString(text);
    }

    static String tomlKey(String key) {
        for (int i = 0; i < key.length(); i++) {
            char c = key.charAt(i);
            boolean bare = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'
                    || c == '-';
            if (!bare) {
                return tomlString(key);
            }
        }
        return key.isEmpty() ? "\"\"" : key;
    }

    static String tomlString(String text) {
        StringBuilder out = new StringBuilder("\"");
        for (int i = 0; i < text.length(); i++) {
            char c = text.charAt(i);
            if (c == '"' || c == '\\') {
                out.append('\\').append(c);
            } else if (c < 0x20 || c == 0x7f) {
                out.append(String.format("\\u%04X", (int) c));
            } else {
                out.append(c);
            }
        }
        return out.append('"').toString();
    }

    /** The tool from quorvHome, or from the plugin's jar, written into {@code work/tools}. */
    private File tool(String name, File work) throws IOException, MojoExecutionException {
        if (quorvHome != null) {
            File file = new File(quorvHome, name);
            if (!file.isFile()) {
                throw new MojoExecutionException("quorv: " + file + " does not exist (quorvHome is " + quorvHome + ")");
            }
            return file;
        }
        InputStream in = PackMojo.class.getClassLoader().getResourceAsStream(TOOLS_RESOURCE + name);
        if (in == null) {
            throw new MojoExecutionException("quorv: this quorv-maven-plugin carries no " + name
                    + "; set <quorvHome> (or -Dquorv.home) to the directory that holds quorv-pack,"
                    + " quorv-launcher.exe and quorv-runtime.jar");
        }
        File file = new File(new File(work, "tools"), name);
        try {
            Files.createDirectories(file.getParentFile().toPath());
            Files.copy(in, file.toPath(), StandardCopyOption.REPLACE_EXISTING);
        } finally {
            in.close();
        }
        return file;
    }

    /** Runs the packer; its output goes to the build log. */
    private void run(List<String> command) throws IOException, MojoFailureException, MojoExecutionException {
        getLog().debug("quorv: " + command);
        ProcessBuilder builder = new ProcessBuilder(command);
        builder.redirectErrorStream(true);
        Process process = builder.start();
        process.getOutputStream().close();
        ByteArrayOutputStream captured = new ByteArrayOutputStream();
        copy(process.getInputStream(), captured);
        int status;
        try {
            status = process.waitFor();
        } catch (InterruptedException e) {
            process.destroy();
            Thread.currentThread().interrupt();
            throw new MojoExecutionException("quorv: interrupted while quorv-pack ran", e);
        }
        String text = new String(captured.toByteArray(), Charset.defaultCharset()).trim();
        if (status != 0) {
            throw new MojoFailureException("quorv-pack " + command.get(1) + " failed (exit status " + status + "):\n"
                    + text);
        }
        if (!text.isEmpty()) {
            for (String line : text.split("\r?\n")) {
                getLog().info(line);
            }
        }
    }

    private static void copy(InputStream in, OutputStream out) throws IOException {
        byte[] buffer = new byte[8192];
        int n;
        while ((n = in.read(buffer)) != -1) {
            out.write(buffer, 0, n);
        }
    }

    private static void writeText(File file, String text) throws IOException {
        Files.createDirectories(file.getAbsoluteFile().getParentFile().toPath());
        Files.write(file.toPath(), text.getBytes(StandardCharsets.UTF_8));
    }

    private static boolean isWindows() {
        return System.getProperty("os.name", "").toLowerCase(Locale.ROOT).startsWith("windows");
    }
}
