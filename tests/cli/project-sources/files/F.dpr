program F;

uses
  Unit1 in 'forms\Unit1.pas' {Form1};

begin
end.
